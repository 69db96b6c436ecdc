#include "dvb/helper/point_report.h"

#include "cardbase/catalogue_lines.h"
#include "cardbase/pointing/pointing_input.h"
#include "cardbase/pointing/pointing_text.h"
#include "dvb/helper/exit_codes.h"

int pointReport(const HelperOptions& options, const std::string& catalogueText, const PointMoment& moment,
                std::string* report, std::string* problem)
{
    PointingQuestion question;
    std::string name;
    if (!parseSatellite(options.pointSatellite, catalogueLines(catalogueText), &question.satelliteLongitudeDeg, &name,
                        problem))
        return ExitUsage;
    question.site = options.site;
    question.unixMs = moment.unixMs;
    question.zoneMinutes = moment.zoneMinutes;
    question.zoneAt = moment.zoneAt;
    question.hasOffset = options.hasOffset;
    question.offsetDeg = options.offsetDeg;
    report->clear();
    for (const PointingLine& line : pointingLines(pointingFigures(question)))
        *report += line.name + ": " + line.value + "\n";
    return ExitOk;
}

#include "cardbase/phone/phone_report.h"

#include <algorithm>
#include <map>
#include <set>

#include "cardbase/margin/link_margin.h"
#include "cardbase/record/record_csv.h"
#include "cardbase/record/record_files.h"
#include "cardbase/record/record_store.h"

static std::string htmlText(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

// One transponder's row: its latest entry of the day.
struct ReportRow {
    const std::vector<std::string>* entry;
    std::string key;
};

static std::string transponderKey(const CsvTable& table, const std::vector<std::string>& row)
{
    std::string key;
    for (const char* column : {"frequency_mhz", "polarisation", "symbol_rate_ksps", "switch", "band"})
        key += csvValue(table, row, column) + "|";
    return key;
}

static std::string degrees(const std::string& value, const char* positive, const char* negative)
{
    double number = 0.0;
    if (!readDecimal(value, &number)) return std::string();
    return decimalText(number < 0 ? -number : number, 4) + "\xC2\xB0 " + (number < 0 ? negative : positive);
}

static std::string siteLine(const CsvTable& table, const std::vector<ReportRow>& rows, const PhonePlace& place)
{
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        const std::string latitude = csvValue(table, *row->entry, "site_latitude");
        const std::string longitude = csvValue(table, *row->entry, "site_longitude");
        if (!latitude.empty() && !longitude.empty())
            return degrees(latitude, "N", "S") + ", " + degrees(longitude, "E", "W");
    }
    if (place.hasSite)
        return degrees(decimalText(place.site.latitudeDeg, 4), "N", "S") + ", " +
               degrees(decimalText(place.site.longitudeDeg, 4), "E", "W");
    return "not named (a line site=LAT,LON in the card's settings file names it)";
}

struct SeriesPoint {
    double second;
    bool hasValue;
    double value;
};

// The C/N over the measurement; the quality where the card gives no C/N in dB.
static std::string chartSvg(const std::vector<SeriesPoint>& points, bool quality, const std::string& thresholdText)
{
    if (points.empty()) return "<span class=\"none\">no series kept</span>";
    double lo = 1e9, hi = -1e9, last = 1.0;
    for (const SeriesPoint& p : points) {
        last = std::max(last, p.second);
        if (!p.hasValue) continue;
        lo = std::min(lo, p.value);
        hi = std::max(hi, p.value);
    }
    double threshold = 0.0;
    const bool withThreshold = !quality && readDecimal(thresholdText, &threshold);
    if (withThreshold) lo = std::min(lo, threshold), hi = std::max(hi, threshold);
    if (quality) lo = 0.0, hi = 100.0;
    if (lo > hi) lo = 0.0, hi = 1.0;
    if (hi - lo < 2.0) lo -= 1.0, hi += 1.0;
    const double width = 160.0, height = 48.0;
    const auto x = [&](double second) { return decimalText(second / last * width, 1); };
    const auto y = [&](double value) { return decimalText(height - 2 - (value - lo) / (hi - lo) * (height - 4), 1); };
    std::string svg = "<svg class=\"chart\" viewBox=\"0 0 160 48\" width=\"160\" height=\"48\" role=\"img\" "
                      "aria-label=\"" +
                      std::string(quality ? "quality" : "C/N") + " from " + decimalText(lo, 1) + " to " +
                      decimalText(hi, 1) + (quality ? " %" : " dB") + "\">";
    if (withThreshold)
        svg += "<line class=\"need\" x1=\"0\" x2=\"160\" y1=\"" + y(threshold) + "\" y2=\"" + y(threshold) + "\"/>";
    std::string line;
    const auto flush = [&]() {
        if (!line.empty())
            svg += "<polyline class=\"" + std::string(quality ? "quality" : "cn") + "\" points=\"" + line + "\"/>";
        line.clear();
    };
    for (const SeriesPoint& p : points) {
        if (!p.hasValue) {
            flush();
            continue;
        }
        line += (line.empty() ? "" : " ") + x(p.second) + "," + y(p.value);
    }
    flush();
    svg += "<text x=\"2\" y=\"9\">" + decimalText(hi, quality ? 0 : 1) + "</text><text x=\"2\" y=\"46\">" +
           decimalText(lo, quality ? 0 : 1) + "</text></svg>";
    return svg;
}

static std::map<std::string, std::vector<SeriesPoint>> seriesOf(const CsvTable& table,
                                                                const std::map<std::string, bool>& wanted)
{
    std::map<std::string, std::vector<SeriesPoint>> series;
    const int id = csvColumn(table, "measurement_id"), second = csvColumn(table, "second");
    const int cn = csvColumn(table, "cn_db"), quality = csvColumn(table, "quality_percent"),
              locked = csvColumn(table, "locked");
    if (id < 0 || second < 0 || cn < 0 || quality < 0 || locked < 0) return series;
    for (const std::vector<std::string>& row : table.rows) {
        const auto want = wanted.find(row[id]);
        if (want == wanted.end()) continue;
        SeriesPoint point{0.0, false, 0.0};
        if (!readDecimal(row[second], &point.second)) continue;
        const std::string& figure = want->second ? row[quality] : row[cn];
        point.hasValue = row[locked] == "1" && readDecimal(figure, &point.value);
        series[row[id]].push_back(point);
    }
    return series;
}

static std::string cell(const std::string& text) { return "<td>" + text + "</td>"; }

static std::string threeFigures(const CsvTable& table, const std::vector<std::string>& row, const char* stem,
                                const char* unit)
{
    const std::string base = stem;
    const std::string low = csvValue(table, row, base + "_min_" + unit);
    if (low.empty()) return "&ndash;";
    return htmlText(low + " / " + csvValue(table, row, base + "_median_" + unit) + " / " +
                    csvValue(table, row, base + "_peak_" + unit));
}

static std::string rowHtml(const CsvTable& table, const std::vector<std::string>& row,
                           const std::vector<SeriesPoint>* points, bool* noDecibels)
{
    const auto value = [&](const char* column) { return csvValue(table, row, column); };
    const std::string verdict = value("verdict");
    std::string transponder = value("frequency_mhz") + " " + value("polarisation") + " " + value("symbol_rate_ksps");
    if (!value("switch").empty()) transponder += " switch " + value("switch");
    transponder += " (" + value("band") + " band)";
    std::string lock = verdict == "no lock" ? "no lock in " + value("duration_s") + " s"
                                            : "locked in " + value("time_to_lock_s") + " s; " +
                                                  value("locked_percent") + " % of the readings";
    std::string margin;
    double marginDb = 0.0;
    if (readDecimal(value("margin_db"), &marginDb)) {
        margin = "<b class=\"" + htmlText(value("margin_verdict")) + "\">" + htmlText(marginDecibelsText(marginDb)) +
                 " " + htmlText(value("margin_verdict")) + "</b><br>" + htmlText(value("modulation")) + " (" +
                 htmlText(value("modulation_source")) + ")";
    } else {
        margin = value("margin_note").empty() ? "&ndash;" : htmlText(value("margin_note"));
    }
    const bool percentOnly = value("cn_median_db").empty() && !value("quality_median_percent").empty();
    if (percentOnly) *noDecibels = true;
    std::string network = "&ndash;";
    if (!value("network_name").empty() || !value("network_id").empty())
        network = htmlText(value("network_name") + " (" + value("network_id") + ") " + value("network_position") + " " +
                           value("network_verdict"));
    else if (!value("network_verdict").empty()) network = htmlText(value("network_verdict"));
    std::string pointing = "&ndash;";
    if (!value("azimuth_deg").empty()) {
        pointing = "azimuth " + value("azimuth_deg") + "\xC2\xB0";
        if (!value("magnetic_azimuth_deg").empty())
            pointing += " (compass " + value("magnetic_azimuth_deg") + "\xC2\xB0)";
        pointing += ", elevation " + value("elevation_deg") + "\xC2\xB0, skew " + value("lnb_skew_deg") +
                    "\xC2\xB0 for " + value("satellite_position");
        pointing = htmlText(pointing);
    }
    const std::string start = value("start_local");
    const std::string time = start.size() > 11 ? start.substr(11, 5) : std::string();
    const std::string cssVerdict = verdict == "no lock" ? "nolock" : verdict;
    return "<tr class=\"" + htmlText(cssVerdict) + "\">" + cell(htmlText(time)) + cell(htmlText(transponder)) +
           cell(htmlText(lock)) + cell(threeFigures(table, row, "cn", "db")) +
           cell(threeFigures(table, row, "quality", "percent")) + cell(margin) + cell(network) + cell(pointing) +
           cell(points ? chartSvg(*points, percentOnly, value("threshold_db")) : chartSvg({}, false, "")) + "</tr>\n";
}

// The latest entry of each transponder of the day, in the order measured,
// the last reportRowLimit of them; how many earlier ones are left out.
static std::vector<ReportRow> latestRows(const CsvTable& table, size_t* left)
{
    std::map<std::string, size_t> latest;
    for (size_t i = 0; i < table.rows.size(); ++i) latest[transponderKey(table, table.rows[i])] = i;
    std::vector<ReportRow> rows;
    for (size_t i = 0; i < table.rows.size(); ++i) {
        const std::string key = transponderKey(table, table.rows[i]);
        if (latest[key] == i) rows.push_back(ReportRow{&table.rows[i], key});
    }
    *left = rows.size() > reportRowLimit ? rows.size() - reportRowLimit : 0;
    rows.erase(rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(*left));
    return rows;
}

std::set<std::string> reportMeasurements(const RecordDay& day)
{
    size_t left = 0;
    std::set<std::string> ids;
    for (const ReportRow& row : latestRows(day.entries, &left))
        ids.insert(csvValue(day.entries, *row.entry, "measurement_id"));
    return ids;
}

std::string reportHtml(const RecordDay& day, const RecordSeries& recorded, const PhonePlace& place)
{
    const CsvTable& table = day.entries;
    size_t left = 0;
    const std::vector<ReportRow> rows = latestRows(table, &left);
    std::map<std::string, bool> wanted;  // id -> the chart shows the quality
    for (const ReportRow& row : rows)
        wanted[csvValue(table, *row.entry, "measurement_id")] = csvValue(table, *row.entry, "cn_median_db").empty();
    const std::map<std::string, std::vector<SeriesPoint>> series = seriesOf(recorded.points, wanted);

    std::string cards;
    for (const ReportRow& row : rows) {
        const std::string card = csvValue(table, *row.entry, "card");
        if (cards.find(card) == std::string::npos) cards += (cards.empty() ? "" : ", ") + card;
    }
    std::string body;
    bool noDecibels = false;
    size_t notRead = 0;
    for (const ReportRow& row : rows) {
        const std::string id = csvValue(table, *row.entry, "measurement_id");
        const auto points = series.find(id);
        body += rowHtml(table, *row.entry, points == series.end() ? nullptr : &points->second, &noDecibels);
        notRead += recorded.olderLeftOut && recorded.missing.count(id);
    }
    std::string html =
        "<!doctype html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>Azimora: "
        "installation record " +
        htmlText(day.day) + "</title>\n<link rel=\"stylesheet\" href=\"report.css\">\n</head>\n<body>\n" +
        "<h1>Installation record</h1>\n<dl class=\"facts\">\n<dt>Site</dt><dd id=\"site\">" +
        htmlText(siteLine(table, rows, place)) + "</dd>\n<dt>Date</dt><dd id=\"date\">" +
        htmlText(day.day.empty() ? "nothing recorded yet" : day.day) + "</dd>\n<dt>Card</dt><dd id=\"card\">" +
        htmlText(cards.empty() ? "none" : cards) + "</dd>\n</dl>\n";
    html += "<p class=\"meaning\">Margin: how far the measured C/N (the median of the measurement) stands above the "
            "C/N the transponder's modulation and code rate need to be received without errors. 3 dB or more is "
            "good; 0 to 3 dB is marginal, and rain may cut the picture; below 0 fails.</p>\n";
    const std::string older = day.olderLeftOut ? "<p class=\"why\" id=\"older\">Earlier entries of this day lie in "
                                                 "older files of the record than the report reads; they are kept on "
                                                 "the PC.</p>\n"
                                               : "";
    if (rows.empty())
        return html + older + "<p id=\"empty\">No measurement recorded on this day.</p>\n</body>\n</html>\n";
    html += "<table>\n<thead><tr><th>Time</th><th>Transponder (MHz, kS/s)</th><th>Lock</th><th>C/N dB<br>min / "
            "median / peak</th><th>Quality %<br>min / median / peak</th><th>Margin</th><th>Network</th><th>"
            "Pointing</th><th>C/N</th></tr></thead>\n<tbody>\n" +
            body + "</tbody>\n</table>\n";
    if (left) html += "<p>" + std::to_string(left) + " earlier transponders of this day are not shown.</p>\n";
    html += older;
    if (notRead)
        html += "<p class=\"why\" id=\"seriesOlder\">The C/N series of " + std::to_string(notRead) +
                (notRead == 1 ? " measurement lies" : " measurements lie") +
                " in older files of the record than the report reads; they are kept on the PC.</p>\n";
    if (noDecibels)
        html += "<p class=\"why\">Where the C/N and the margin are empty, the card gives its signal as a percentage "
                "only, not as a C/N in dB: no figure in dB is made up from it, and its chart shows the quality.</p>\n";
    return html + "</body>\n</html>\n";
}

bool readReportQuery(const std::string& query, std::string* date)
{
    date->clear();
    if (query.empty()) return true;
    if (query.compare(0, 5, "date=") != 0 || query.size() != 15) return false;
    const std::string text = query.substr(5);
    for (size_t i = 0; i < text.size(); ++i) {
        const bool dash = i == 4 || i == 7;
        if (dash ? text[i] != '-' : (text[i] < '0' || text[i] > '9')) return false;
    }
    *date = text;
    return true;
}

// A record is bounded at recordFileLimitBytes; a line more may land before it moves.
static const size_t recordReadLimit = static_cast<size_t>(recordFileLimitBytes) + 64 * 1024;
// The report reads back this far for its day and for its charts.
static const size_t reportReadLimit = 3 * recordReadLimit;

// What /record.csv would send: the record's newest files, up to the bound.
static size_t recordAnswerBytes(const std::string& folder)
{
    size_t bytes = 0;
    for (const std::string& path : recordFilesNewestFirst(folder, recordFileName))
        if (bytes < recordReadLimit) bytes += static_cast<size_t>(std::max<int64_t>(fileSize(path), 0));
    return std::min(bytes, recordReadLimit);
}

RecordReply recordReply(const std::string& path, const std::string& query, const std::string& folder,
                        const PhonePlace& place, size_t roomBytes)
{
    RecordReply reply;
    if (folder.empty()) {
        reply.status = 404;
        reply.body = "the record is not shown on this page (record=off in the card's settings file, or no record "
                     "is kept)";
        return reply;
    }
    if (path == phoneRecordPath) {
        // Refused before anything is read when it could not be sent now.
        if (recordAnswerBytes(folder) > roomBytes) {
            reply.status = 503;
            reply.body = "the record is being sent to another phone; try again in a moment";
            reply.extraHeaders = "Retry-After: 5\r\n";
            return reply;
        }
        const NewestRecord newest = newestRecordText(folder, recordReadLimit);
        reply.contentType = "text/csv; charset=utf-8; header=present";
        reply.extraHeaders = "Content-Disposition: attachment; filename=\"azimora-record.csv\"\r\n";
        if (newest.olderLeftOut) reply.extraHeaders += std::string(olderLeftOutHeader) + ": yes\r\n";
        reply.body = newest.text;
        return reply;
    }
    std::string date;
    if (!readReportQuery(query, &date)) {
        reply.status = 400;
        reply.body = "the report takes date=YYYY-MM-DD (2025-01-31) or nothing";
        return reply;
    }
    const RecordDay day = readRecordDay(folder, date, reportReadLimit);
    reply.contentType = "text/html; charset=utf-8";
    reply.body = reportHtml(day, readRecordSeries(folder, reportMeasurements(day), reportReadLimit), place);
    return reply;
}

// What the record's tests share: a fresh folder, a file read as a table,
// a transponder, a locked reading's context and a sample measurement.
#pragma once
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "cardbase/record/measurement.h"
#include "cardbase/record/record_csv.h"
#include "tests/native/committed_file.h"

inline std::string newFolder()
{
    std::string pattern = "/tmp/azimora-record-test-XXXXXX";
    return mkdtemp(&pattern[0]) ? pattern + "/record" : std::string();
}

inline CsvTable tableOf(const std::string& path) { return readCsvText(fileText(path)); }

inline CardTuning hotBird()
{
    CardTuning tuning;
    tuning.lnbSelection = 1;
    tuning.lnbFrequencyMHz = 10600;
    tuning.polarization = 0;
    tuning.symbolRate = 29900;
    tuning.frequencyMHz = 12149;
    tuning.diseqcCode = 2;
    return tuning;
}

inline Modcod s2Qpsk34()
{
    Modcod modcod;
    EXPECT_TRUE(parseModcod("S2-QPSK-3/4", &modcod));
    return modcod;
}

inline MeasurementContext lockedContext(bool inDecibels = true)
{
    MarginInputs inputs;
    inputs.locked = true;
    inputs.carrierToNoiseInDecibels = inDecibels;
    inputs.carrierToNoiseDb = 10.0;
    inputs.tuner = knownWord(s2Qpsk34());
    MeasurementContext context;
    context.carrierToNoiseInDecibels = inDecibels;
    context.margin = linkMargin(inputs);
    context.network.state = NetworkKnown;
    context.network.identity.known = true;
    context.network.identity.networkId = 0x13e;
    context.network.identity.networkName = "Hot, Bird";
    context.network.identity.certainty = PositionOfStream;
    context.network.identity.position = 130;
    context.expected = {130};
    return context;
}

inline RecordEntry sampleEntry(const std::string& id)
{
    Measurement measurement;
    startMeasurement(measurement, id, "Practice dish", hotBird(), 1738318502000, 60, 0);
    for (uint32_t t = 100; t <= 2500; t += 100)
        measureReading(measurement, SignalReading{true, 80, 12.5f}, lockedContext(), t);
    return measurementEntry(measurement, RecordSite());
}

inline std::vector<RecordSeriesPoint> sampleSeries()
{
    return {RecordSeriesPoint{0, true, 12.5f, 80}, RecordSeriesPoint{1, true, 12.75f, 81}};
}

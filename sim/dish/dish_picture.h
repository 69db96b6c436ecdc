// Everything the simulated dish's window draws, in pixels: the sky chart
// with the arc, the satellites, the pointing and its beam; the strip chart
// of the last minute; the text readout. The window draws exactly this and
// repaints only when it changes. Platform-neutral.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "sim/dish/dish_layout.h"
#include "sim/dish/dish_view.h"
#include "sim/dish/signal_history.h"

enum LabelAlign : uint8_t { AlignLeft, AlignCentre, AlignRight };
// What a label says, which decides its colour.
enum LabelKind : uint8_t {
    AxisLabel,
    TargetLabel,
    NearestLabel,
    PointerLabel,  // the satellite under the mouse pointer
    BeamLabel,
    NoteLabel,
    CarrierToNoiseLabel,
    QualityLabel,
    LevelLabel,
    ThresholdLabel,
    NeedLabel,  // what the locked modulation and code rate need
    LockLabel,
    LossLabel,
};

// `at` is the top of the text and, as aligned, its left end, middle or right end.
struct PictureLabel {
    PixelPoint at;
    std::string text;
    LabelAlign align;
    LabelKind kind;
};

struct SkyPicture {
    SkyChart chart;
    int horizonY;
    std::vector<int> gridX, gridY;  // azimuth and elevation lines
    std::vector<PixelPoint> arc;
    std::vector<SkyMark> marks;
    bool hasTarget, hasNearest;
    PixelPoint target, nearest;  // their marks
    PixelPoint cross;            // the pointing, kept on the plot
    int beamAcross, beamUp;      // half axes of the half-power circle
    std::vector<PictureLabel> labels;
    std::vector<PictureLabel> underSight;  // drawn before the beam and the sight: where to point
    std::vector<PixelPoint> motorPath;     // a motorised dish's path (dish_motor_picture.h), else empty
    PixelPoint motorAt;                    // where its motor stands on it
};

struct LockLine {
    int x;
    bool locked;  // found, or lost
};

struct StripPicture {
    PixelRect plot;
    std::vector<int> gridX, gridY;  // every 10 s; every 5 dB and 20 %
    int thresholdY;                 // where the demodulator locks the transponder reached; -1 when none is
    int needY;                      // what the locked modulation and code rate need; -1 when unknown
    std::vector<std::vector<PixelPoint>> carrierToNoise;
    std::vector<PixelPoint> quality;
    std::vector<std::vector<PixelPoint>> level;  // over the noise, on the C/N's scale
    std::vector<LockLine> lockLines;
    std::vector<PictureLabel> labels;
};

struct DishPicture {
    int width, height;
    SkyPicture sky;
    StripPicture strip;
    PixelRect text;
    std::vector<std::string> lines;
    int signalLine;   // the line that goes green with a lock, red without
    int signalLines;  // it and the lines its text goes on to
    int warningLine;  // "wrong satellite", in red; -1 without
    bool locked;
    int marginLine;  // coloured by its verdict while the margin is known
    bool marginKnown;
    MarginVerdict marginVerdict;
};
bool operator==(const DishPicture& a, const DishPicture& b);
inline bool operator!=(const DishPicture& a, const DishPicture& b) { return !(a == b); }

// The beam drawn before anything is tuned: the middle of the Ku band the LNB covers.
constexpr double untunedBeamFrequencyMHz = 11725.0;

// What the strip chart keeps of a view.
SignalSample sampleOf(const DishView& view, uint32_t nowMs);

// `hoverSatellite` is the one under the mouse pointer, or -1.
DishPicture dishPicture(const DishModel& model, const DishView& view, const SignalHistory& history,
                        const DishLayout& layout, int hoverSatellite);

#include "cardbase/sweep/sweep_refine.h"

std::vector<size_t> coarseSweepSteps(const SweepPlan& plan)
{
    std::vector<size_t> steps;
    const size_t count = plan.frequenciesMHz.size();
    const size_t stride = plan.coarseStride > 1 ? static_cast<size_t>(plan.coarseStride) : 1;
    for (size_t i = 0; i < count; i += stride) steps.push_back(i);
    if (count > 0 && steps.back() != count - 1) steps.push_back(count - 1);
    return steps;
}

// An untried step between `a` and `b` (exclusive), the middle one first.
static size_t untriedBetween(size_t a, size_t b, const std::vector<bool>& tried)
{
    if (a > b) return untriedBetween(b, a, tried);
    if (b - a < 2) return noSweepStep;
    const size_t middle = a + (b - a) / 2;
    for (size_t offset = 0; offset < b - a; ++offset) {
        if (middle + offset < b && !tried[middle + offset]) return middle + offset;
        if (middle - offset > a && !tried[middle - offset]) return middle - offset;
    }
    return noSweepStep;
}

size_t nextFineSweepStep(const SweepPlan& plan, const SweepResult& result, const std::vector<bool>& tried)
{
    if (plan.coarseStride <= 1 || tried.size() != result.points.size()) return noSweepStep;
    const size_t stride = static_cast<size_t>(plan.coarseStride);
    for (const SweepHump& hump : findSweepHumps(result)) {
        if (hump.leftOutside != SweepHump::none) {
            const size_t step = untriedBetween(hump.leftOutside, hump.leftInside, tried);
            if (step != noSweepStep) return step;
        }
        if (hump.rightOutside != SweepHump::none) {
            const size_t step = untriedBetween(hump.rightInside, hump.rightOutside, tried);
            if (step != noSweepStep) return step;
        }
        // A hump narrower than two coarse steps may have its top between them.
        const size_t left = hump.leftOutside != SweepHump::none ? hump.leftOutside : hump.leftInside;
        const size_t right = hump.rightOutside != SweepHump::none ? hump.rightOutside : hump.rightInside;
        if (right - left > 2 * stride) continue;
        for (size_t step : {hump.top - 1, hump.top + 1})
            if (step < tried.size() && !tried[step]) return step;
    }
    return noSweepStep;
}

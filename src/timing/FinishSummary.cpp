#include "timing/FinishSummary.h"

#include "state/AppState.h"
#include "timing/NumberText.h"

namespace sw {

ColumnSummary summariseColumn(const ResultsGrid &grid, int col, int lastLap)
{
    ColumnSummary s;
    std::array<int, 501> bins{}; // bins 1..500 used
    for (int r = 1; r <= lastLap && r < ResultsGrid::kRows; ++r) {
        const double v = val(grid.cell(r, col));
        if (v > 0) {
            // The first time counted starts both bounds, so a stint of more
            // than 10000 s is its own smallest.
            ++s.count;
            if (s.count == 1 || v < s.smallest)
                s.smallest = v;
            if (s.count == 1 || v > s.largest)
                s.largest = v;
            s.sum += v;
            if (v < 500) {
                const int b = static_cast<int>(v); // whole seconds, v >= 0
                if (b >= 1)
                    ++bins[b];
            }
        }
    }
    // Highest count, lowest bin on a tie; then the same among the others.
    int best = 0;
    for (int b = 1; b <= 500; ++b)
        if (bins[b] > 0 && (best == 0 || bins[b] > bins[best]))
            best = b;
    int second = 0;
    for (int b = 1; b <= 500; ++b)
        if (b != best && bins[b] > 0 && (second == 0 || bins[b] > bins[second]))
            second = b;
    s.mode0 = best;
    s.mode1 = second;
    return s;
}

void applyFinishSummary(AppState &st)
{
    for (int k = 0; k <= 4; ++k) {
        const int col = k + 1;
        if (k < 4 && col > st.rec.NumSegs)
            continue;
        const ColumnSummary s = summariseColumn(st.grid, col, st.rec.LastLap);
        st.rec.ModeSecs[0][k] = static_cast<qint16>(s.mode0);
        st.rec.ModeSecs[1][k] = static_cast<qint16>(s.mode1);
        if (s.count > 0) {
            st.grid.statValues[3 * k] = formatTime(s.sum / s.count);
            st.grid.statValues[3 * k + 1] = formatTime(s.smallest);
            st.grid.statValues[3 * k + 2] = formatTime(s.largest);
        } else {
            st.grid.statValues[3 * k].clear();
            st.grid.statValues[3 * k + 1].clear();
            st.grid.statValues[3 * k + 2].clear();
        }
    }
    st.grid.notifyStatsChanged();
}

} // namespace sw

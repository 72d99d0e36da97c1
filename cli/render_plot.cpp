// Laying out and drawing the render plot.
#include "cli/render_plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

#include "cli/level_meter.h"
#include "cli/png_file.h"
#include "cli/text_util.h"

namespace zarpacli {

namespace {

constexpr Colour kBackground{255, 255, 255}, kPanel{250, 250, 252}, kGrid{222, 224, 230}, kAxis{70, 70, 80},
    kText{30, 30, 40}, kInputPeak{196, 198, 206}, kOutputPeak{110, 160, 225}, kInputLoudness{80, 80, 90},
    kOutputLoudness{230, 115, 20}, kReduction{205, 50, 60}, kCeiling{200, 0, 0}, kTarget{0, 140, 60};

// Where things go, in pixels.
constexpr int kLeft = 84, kRight = kPlotWidth - 24;
constexpr int kLevelTop = 58, kLevelBottom = 420;
constexpr int kReductionTop = 446, kReductionBottom = 580;
constexpr int kTimeLabels = 602, kTimeTitle = 628;

constexpr double kNone = -std::numeric_limits<double>::infinity();

struct Scale {
    double top, bottom;  // values at the panel's top and bottom row
    int y0, y1;          // the panel's rows
    double y(double v) const { return y0 + (top - std::clamp(v, bottom, top)) / (top - bottom) * (y1 - y0); }
};

// Per column of the plot: the largest peaks and reduction of the 10 ms windows it covers, and the
// loudness of the 100 ms point at its time.
struct Column {
    double inputPeak = kNone, outputPeak = kNone, reduction = 0.0;
    double inputLoudness = kNone, outputLoudness = kNone;
};

std::vector<Column> columns(const RenderTimeline& t, int count, bool momentary) {
    std::vector<Column> out(static_cast<std::size_t>(count));
    const auto& w = t.windows();
    const auto& l = t.loudness();
    if (w.empty()) return out;
    for (int c = 0; c < count; ++c) {
        const std::size_t first = static_cast<std::size_t>(c) * w.size() / count;
        const std::size_t last = std::max(first + 1, static_cast<std::size_t>(c + 1) * w.size() / count);
        Column& col = out[c];
        for (std::size_t i = first; i < last && i < w.size(); ++i) {
            col.inputPeak = std::max(col.inputPeak, decibels(w[i].inputPeak));
            col.outputPeak = std::max(col.outputPeak, decibels(w[i].outputPeak));
            col.reduction = std::max(col.reduction, static_cast<double>(w[i].gainReductionDb));
        }
        // The loudness point whose 100 ms block ends nearest the column's middle.
        const double seconds = (first + last) / 2.0 * RenderTimeline::kWindowSeconds;
        const long k = std::lround(seconds / RenderTimeline::kLoudnessHopSeconds) - 1;
        if (!l.empty()) {
            const LoudnessPoint& p =
                l[static_cast<std::size_t>(std::clamp<long>(k, 0, static_cast<long>(l.size()) - 1))];
            col.inputLoudness = momentary ? p.inputMomentary : p.inputShortTerm;
            col.outputLoudness = momentary ? p.outputMomentary : p.outputShortTerm;
        }
    }
    return out;
}

// A step for the time axis giving at most about a dozen ticks.
double timeStep(double duration) {
    for (double step :
         {0.1, 0.2, 0.5, 1.0, 2.0, 5.0, 10.0, 15.0, 30.0, 60.0, 120.0, 300.0, 600.0, 900.0, 1800.0, 3600.0})
        if (duration / step <= 12.0) return step;
    return 7200.0;
}

std::string timeText(double seconds, double step, double duration) {
    char text[32];
    if (step < 1.0) std::snprintf(text, sizeof text, "%.1f s", seconds);
    else if (duration < 60.0) std::snprintf(text, sizeof text, "%.0f s", seconds);
    else {
        const long s = std::lround(seconds);
        if (s >= 3600) std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
        else std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
    }
    return text;
}

void drawTimeAxis(PlotCanvas& canvas, double duration) {
    const double step = timeStep(duration);
    for (double t = 0.0; t <= duration + 1e-9; t += step) {
        const double x = kLeft + t / duration * (kRight - kLeft);
        for (int top : {kLevelTop, kReductionTop}) {
            const int bottom = top == kLevelTop ? kLevelBottom : kReductionBottom;
            canvas.line(x, top, x, bottom, kGrid);
        }
        canvas.line(x, kReductionBottom, x, kReductionBottom + 5, kAxis);
        canvas.text(static_cast<int>(x), kTimeLabels, timeText(t, step, duration), kText, TextAlign::Centre);
    }
    canvas.text((kLeft + kRight) / 2, kTimeTitle, "time", kText, TextAlign::Centre);
}

void drawLevelGrid(PlotCanvas& canvas, const Scale& s, double step) {
    for (double v = s.top; v >= s.bottom - 1e-9; v -= step) {
        const double y = s.y(v);
        canvas.line(kLeft, y, kRight, y, kGrid);
        canvas.line(kLeft - 5, y, kLeft, y, kAxis);
        const std::string number = std::fabs(v) < 0.5 ? "0" : signedFixed(v, 0);
        canvas.text(kLeft - 8, static_cast<int>(y) + canvas.ascent() / 2 - 1, number, kText, TextAlign::Right);
    }
}

void frame(PlotCanvas& canvas, int top, int bottom) {
    canvas.line(kLeft, top, kLeft, bottom, kAxis);
    canvas.line(kRight, top, kRight, bottom, kAxis);
    canvas.line(kLeft, top, kRight, top, kAxis);
    canvas.line(kLeft, bottom, kRight, bottom, kAxis);
}

// Areas from the panel's bottom up to each column's value.
void area(PlotCanvas& canvas, const Scale& s, const std::vector<Column>& cols, double Column::*value, Colour c) {
    for (std::size_t i = 0; i < cols.size(); ++i) {
        const double v = cols[i].*value;
        if (v == kNone) continue;
        const int x = kLeft + static_cast<int>(i);
        canvas.fillRect(x, static_cast<int>(std::lround(s.y(v))), x + 1, s.y1, c);
    }
}

// A line through the columns' values, broken where a value is not defined.
void trace(PlotCanvas& canvas, const Scale& s, const std::vector<Column>& cols, double Column::*value, Colour c) {
    for (std::size_t i = 1; i < cols.size(); ++i) {
        const double a = cols[i - 1].*value, b = cols[i].*value;
        if (a == kNone || b == kNone) continue;
        canvas.line(kLeft + i - 1.0, s.y(a), kLeft + static_cast<double>(i), s.y(b), c, 2.0);
    }
}

void markLine(PlotCanvas& canvas, const Scale& s, double v, Colour c, const std::string& label) {
    if (v > s.top || v < s.bottom) return;
    const double y = s.y(v);
    canvas.line(kLeft, y, kRight, y, c, 2.0, 8);
    const int w = canvas.textWidth(label);
    canvas.fillRect(kRight - w - 10, static_cast<int>(y) - canvas.ascent() - 5, kRight - 2, static_cast<int>(y) - 2,
                    kBackground, 0.85);
    canvas.text(kRight - 6, static_cast<int>(y) - 5, label, c, TextAlign::Right);
}

void legend(PlotCanvas& canvas, int x, int y, Colour c, bool isArea, const std::string& label) {
    if (isArea) canvas.fillRect(x, y - 10, x + 18, y + 1, c);
    else canvas.line(x, y - 5, x + 18, y - 5, c, 2.0);
    canvas.text(x + 24, y, label, kText);
}

}  // namespace

PlotCanvas drawRenderPlot(const RenderTimeline& timeline, const std::string& title, const PlotMarks& marks) {
    PlotCanvas canvas(kPlotWidth, kPlotHeight, kBackground);
    const int plotWidth = kRight - kLeft;
    const double duration =
        std::max(RenderTimeline::kWindowSeconds, timeline.windows().size() * RenderTimeline::kWindowSeconds);
    bool momentary = true;
    for (const LoudnessPoint& p : timeline.loudness())
        if (std::isfinite(p.outputShortTerm)) momentary = false;
    const std::vector<Column> cols = columns(timeline, plotWidth, momentary);

    // The level scale: from a little above the loudest peak (0 dBFS at least) down far enough for the
    // quieter passages' loudness, in 6 dB steps.
    double loudest = 0.0, quietest = -24.0;
    for (const Column& c : cols) {
        loudest = std::max({loudest, c.inputPeak, c.outputPeak});
        if (std::isfinite(c.outputLoudness)) quietest = std::min(quietest, c.outputLoudness);
        if (std::isfinite(c.inputLoudness)) quietest = std::min(quietest, c.inputLoudness);
    }
    const double top = std::min(24.0, std::ceil((loudest + 0.5) / 6.0) * 6.0);
    const double bottom = std::max(-60.0, std::floor((quietest - 6.0) / 6.0) * 6.0);
    const Scale level{top, bottom, kLevelTop, kLevelBottom};

    double largest = 0.0;
    for (const Column& c : cols) largest = std::max(largest, c.reduction);
    const double reductionRange = std::clamp(std::ceil(largest / 3.0) * 3.0, 3.0, 30.0);
    const Scale reduction{0.0, -reductionRange, kReductionTop, kReductionBottom};

    canvas.fillRect(kLeft, kLevelTop, kRight, kLevelBottom, kPanel);
    canvas.fillRect(kLeft, kReductionTop, kRight, kReductionBottom, kPanel);
    drawLevelGrid(canvas, level, 6.0);
    drawLevelGrid(canvas, reduction, reductionRange > 12.0 ? 6.0 : reductionRange > 6.0 ? 3.0 : 1.0);
    drawTimeAxis(canvas, duration);

    area(canvas, level, cols, &Column::inputPeak, kInputPeak);
    for (std::size_t i = 0; i < cols.size(); ++i)  // the output's peaks over the input's, a little see-through
        if (cols[i].outputPeak != kNone) {
            const int x = kLeft + static_cast<int>(i);
            canvas.fillRect(x, static_cast<int>(std::lround(level.y(cols[i].outputPeak))), x + 1, kLevelBottom,
                            kOutputPeak, 0.8);
        }
    trace(canvas, level, cols, &Column::inputLoudness, kInputLoudness);
    trace(canvas, level, cols, &Column::outputLoudness, kOutputLoudness);
    if (marks.ceilingDb)
        markLine(canvas, level, *marks.ceilingDb, kCeiling,
                 "ceiling " + signedFixed(*marks.ceilingDb, 1) + (marks.ceilingTruePeak ? " dBTP" : " dBFS"));
    if (marks.targetLufs)
        markLine(canvas, level, *marks.targetLufs, kTarget, "target " + signedFixed(*marks.targetLufs, 1) + " LUFS");

    if (timeline.gainReductionMeasured()) {
        for (std::size_t i = 0; i < cols.size(); ++i) {
            const int x = kLeft + static_cast<int>(i);
            canvas.fillRect(x, kReductionTop, x + 1, static_cast<int>(std::lround(reduction.y(-cols[i].reduction))),
                            kReduction);
        }
    } else {
        canvas.text((kLeft + kRight) / 2, (kReductionTop + kReductionBottom) / 2,
                    "gain reduction not known (Power off or Calibrate on)", kText, TextAlign::Centre);
    }
    frame(canvas, kLevelTop, kLevelBottom);
    frame(canvas, kReductionTop, kReductionBottom);

    canvas.verticalText(18, (kLevelTop + kLevelBottom) / 2, "level (dBFS, LUFS)", kText);
    canvas.verticalText(18, (kReductionTop + kReductionBottom) / 2, "gain reduction (dB)", kText);
    canvas.text(kLeft, 22, title, kText);
    const std::string loudness = momentary ? "momentary" : "short-term";
    int x = kLeft;
    const int y = 46;
    legend(canvas, x, y, kInputPeak, true, "input peak");
    legend(canvas, x += 130, y, kOutputPeak, true, "output peak");
    legend(canvas, x += 140, y, kInputLoudness, false, "input " + loudness + " loudness");
    legend(canvas, x += 250, y, kOutputLoudness, false, "output " + loudness + " loudness");
    legend(canvas, x += 260, y, kReduction, true, "gain reduction");
    return canvas;
}

void writeRenderPlot(const std::string& path, const RenderTimeline& timeline, const std::string& title,
                     const PlotMarks& marks, bool replace) {
    const PlotCanvas canvas = drawRenderPlot(timeline, title, marks);
    writePng(path, canvas.width(), canvas.height(), canvas.pixels(), replace);
}

}  // namespace zarpacli

// The picture of a render (`zarpa render --plot F.png`): input and output over time, peaks as areas and
// short-term loudness as lines, the ceiling and the loudness target as dashed lines where they are
// known, and the gain reduction in a panel below, with axes, grid and time labels.
#pragma once

#include <optional>
#include <string>

#include "cli/plot_canvas.h"
#include "cli/render_timeline.h"

namespace zarpacli {

struct PlotMarks {
    std::optional<double> ceilingDb;  // a ceiling line at this level
    bool ceilingTruePeak = true;      // labelled dBTP, else dBFS
    std::optional<double> targetLufs;  // a loudness target line
};

constexpr int kPlotWidth = 1200;
constexpr int kPlotHeight = 640;

PlotCanvas drawRenderPlot(const RenderTimeline& timeline, const std::string& title, const PlotMarks& marks);
// Draws and writes the PNG atomically (an existing file only with `replace`); throws a CliError.
void writeRenderPlot(const std::string& path, const RenderTimeline& timeline, const std::string& title,
                     const PlotMarks& marks, bool replace);

}  // namespace zarpacli

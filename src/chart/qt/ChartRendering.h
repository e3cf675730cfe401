#pragma once
// A chart window rendered into a picture: a QImage, a PNG file or a one-page PDF (vector).

#include <QImage>
#include <filesystem>
#include <string>

#include "chart/ChartWindowPainter.h"
#include "platform/Status.h"

namespace velmora {

// The window's panes at width × height pixels (96 dots per inch), with the selected bar
// shown when the settings have one.
QImage RenderChartImage(ChartWindowView& view, int width, int height);
// The picture as a PNG file, written whole or not at all; the failure names the file and why.
Status WriteChartPng(ChartWindowView& view, int width, int height,
                     const std::filesystem::path& path);
// The page has the picture's size at 96 dots per inch; drawn as for the printer. Written whole
// or not at all, as the PNG.
Status WriteChartPdf(ChartWindowView& view, int width, int height,
                     const std::filesystem::path& path);

}  // namespace velmora

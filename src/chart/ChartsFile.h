#pragma once
// The charts file "tarvik.charts": the custom chart definitions kept between runs.
// Big-endian: the magic "TARVCHR2", the entry count, then per entry id, gridFlags, scaleMin,
// scaleMax, 4 reserved words, scaleFlags, 2 reserved words, the name and the formula (each a
// length and that many bytes; a formula of length 0 is none). An eighth magic byte other than
// '2' is the older layout without scaleFlags and the 2 reserved words.

#include <filesystem>

#include "chart/ChartDefinition.h"
#include "platform/FileSystem.h"
#include "platform/Status.h"

namespace velmora {

inline constexpr char kChartsFileName[] = "tarvik.charts";

// Reads the file over the table's definitions. A missing file or a wrong magic leaves the
// table as it is; entries with unknown ids are skipped; a damaged tail stops the reading.
// False when nothing was read.
bool ReadChartsFile(ChartTable& table, const std::filesystem::path& path);
// The same read, answering whether the file was read whole: Ok when it was, or when there is
// none; otherwise the failure names the file and why (it could not be read, it is no charts
// file, it is cut short inside its definitions, those before the cut being read).
Status LoadChartsFile(ChartTable& table, const std::filesystem::path& path);
// The file image of the table's custom definitions.
std::vector<std::uint8_t> ChartsFileImage(const ChartTable& table);
// Writes the custom definitions (the calls going through `fs`); the failure names the file and
// the reason.
Status WriteChartsFile(const ChartTable& table, const std::filesystem::path& path,
                       FileSystem& fs = SystemFileSystem());
// WriteChartsFile for a table read by LoadChartsFile, whose answer is `loaded`: a file that
// could not be read is replaced only when `replaceDamaged` says so (the user agreed, or the
// command line said --force), and is then kept as FILE.bak first.
Status SaveChartsFile(const ChartTable& table, const std::filesystem::path& path,
                      const Status& loaded, bool replaceDamaged,
                      FileSystem& fs = SystemFileSystem());

}  // namespace velmora

// "settings.ini" bytes read as the settings store reads them at start-up, then one value set
// (section, name and value taken from the input) and the file read again: the value must read
// back as set, and the text written must read back to the same text.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "platform/IniSettingsStore.h"

using namespace velmora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const auto dir = fuzz::FreshDirectory("settings");
    const auto file = dir / "settings.ini";
    FuzzedDataProvider input(data, size);
    const std::string section = input.ConsumeRandomLengthString(64);
    const std::string name = input.ConsumeRandomLengthString(64);
    const std::string value = input.ConsumeRandomLengthString(256);
    const std::string text = input.ConsumeRemainingBytesAsString();
    fuzz::WriteFile(file, reinterpret_cast<const std::uint8_t*>(text.data()), text.size());

    IniSettingsStore store(file);
    const std::string before = store.Serialize();
    IniSettingsStore reparsed(dir / "unused.ini");
    reparsed.Parse(before);
    if (reparsed.Serialize() != before) __builtin_trap();

    store.SetString(section, name, value);
    if (store.GetString(section, name) != value) __builtin_trap();
    if (!store.LastSaveSucceeded()) return 0;
    IniSettingsStore again(file);
    if (again.GetString(section, name) != value || again.Serialize() != store.Serialize()) {
        __builtin_trap();
    }
    store.Remove(section, name);
    if (store.GetString(section, name).has_value()) __builtin_trap();
    return 0;
}

// Feeds arbitrary bytes to the readers of QMK.cfg and settings.cfg. A file read completely must
// be written back to bytes that read the same; nothing may crash or reserve more than the input.
#include "support/MainSettings.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto decode = [](std::string_view bytes) { return std::u16string(bytes.begin(), bytes.end()); };
    const MainSettings read = ParseMainSettings(data, size, decode);
    if (read.fieldsRead == 24) {
        const std::vector<uint8_t> written = SerializeMainSettings(read);
        const MainSettings again = ParseMainSettings(written.data(), written.size(), decode);
        if (again.fieldsRead != 24 || again.boxes != read.boxes || again.lastFolder != read.lastFolder ||
            again.theme != read.theme || again.width != read.width || again.height != read.height ||
            again.maximized != read.maximized) {
            std::abort();
        }
    }
    const FrameSettings frame = ParseFrameSettings(data, size);
    const std::vector<uint8_t> frameBytes = SerializeFrameSettings(frame);
    const FrameSettings frameAgain = ParseFrameSettings(frameBytes.data(), frameBytes.size());
    if (frameBytes.size() != 2 || frameAgain.autoUpdate != frame.autoUpdate ||
        frameAgain.noExitPrompt != frame.noExitPrompt) {
        std::abort();
    }
    return 0;
}

#include "support/MainSettings.h"

namespace {

class ByteReader {
public:
    ByteReader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    std::size_t Remaining() const { return m_size - m_offset; }

    bool ReadBytes(void* out, std::size_t count) {
        if (count > Remaining()) {
            return false;
        }
        auto* target = static_cast<std::uint8_t*>(out);
        for (std::size_t i = 0; i < count; ++i) {
            target[i] = m_data[m_offset + i];
        }
        m_offset += count;
        return true;
    }
    template <class Unsigned>
    bool ReadUnsigned(Unsigned& value) {
        std::uint8_t bytes[sizeof(Unsigned)];
        if (!ReadBytes(bytes, sizeof(bytes))) {
            return false;
        }
        value = 0;
        for (std::size_t i = sizeof(Unsigned); i-- > 0;) {
            value = static_cast<Unsigned>((value << 8) | bytes[i]);
        }
        return true;
    }
    bool ReadInt(std::int32_t& value) {
        std::uint32_t raw = 0;
        if (!ReadUnsigned(raw)) {
            return false;
        }
        value = static_cast<std::int32_t>(raw);
        return true;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_offset = 0;
};

// The archive's string: an optional Unicode marker (FF FE FF), then a length in one, three, seven
// or fifteen bytes, then the characters. A length the rest of the file cannot hold is refused
// before anything is reserved for it.
bool ReadArchiveString(ByteReader& reader, const AnsiDecoder& decodeAnsi, std::u16string& text) {
    bool unicode = false;
    std::uint64_t length = 0;
    for (;;) {
        std::uint8_t first = 0;
        if (!reader.ReadUnsigned(first)) {
            return false;
        }
        if (first < 0xFF) {
            length = first;
            break;
        }
        std::uint16_t second = 0;
        if (!reader.ReadUnsigned(second)) {
            return false;
        }
        if (second == 0xFFFE && !unicode) {
            unicode = true;  // the marker: the length starts over
            continue;
        }
        if (second < 0xFFFF) {
            length = second;
            break;
        }
        std::uint32_t third = 0;
        if (!reader.ReadUnsigned(third)) {
            return false;
        }
        if (third < 0xFFFFFFFFu) {
            length = third;
            break;
        }
        if (!reader.ReadUnsigned(length)) {
            return false;
        }
        break;
    }
    const std::uint64_t unitSize = unicode ? 2 : 1;
    if (length > reader.Remaining() / unitSize) {
        return false;
    }
    const auto count = static_cast<std::size_t>(length);
    if (unicode) {
        std::u16string units(count, u'\0');
        for (char16_t& unit : units) {
            std::uint16_t value = 0;
            reader.ReadUnsigned(value);
            unit = static_cast<char16_t>(value);
        }
        text = std::move(units);
        return true;
    }
    std::string bytes(count, '\0');
    reader.ReadBytes(bytes.data(), count);
    text = decodeAnsi ? decodeAnsi(bytes) : std::u16string(bytes.begin(), bytes.end());
    return true;
}

void AppendInt(std::vector<std::uint8_t>& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

}  // namespace

MainSettings ParseMainSettings(const std::uint8_t* data, std::size_t size, const AnsiDecoder& decodeAnsi) {
    MainSettings settings;
    ByteReader reader(data, size);
    for (std::int32_t& box : settings.boxes) {
        if (!reader.ReadInt(box)) {
            return settings;
        }
        ++settings.fieldsRead;
    }
    std::u16string folder;
    if (!ReadArchiveString(reader, decodeAnsi, folder)) {
        return settings;
    }
    settings.lastFolder = std::move(folder);
    ++settings.fieldsRead;
    for (std::int32_t* field : {&settings.theme, &settings.width, &settings.height, &settings.maximized}) {
        std::int32_t value = 0;
        if (!reader.ReadInt(value)) {
            return settings;
        }
        *field = value;
        ++settings.fieldsRead;
    }
    return settings;
}

std::vector<std::uint8_t> SerializeMainSettings(const MainSettings& settings) {
    std::vector<std::uint8_t> out;
    out.reserve(96 + 2 * settings.lastFolder.size());
    for (const std::int32_t box : settings.boxes) {
        AppendInt(out, static_cast<std::uint32_t>(box), 4);
    }
    const std::uint64_t n = settings.lastFolder.size();
    out.insert(out.end(), {0xFF, 0xFE, 0xFF});
    if (n < 0xFF) {
        AppendInt(out, n, 1);
    } else if (n < 0xFFFE) {
        out.push_back(0xFF);
        AppendInt(out, n, 2);
    } else if (n < 0xFFFFFFFFull) {
        out.insert(out.end(), {0xFF, 0xFF, 0xFF});
        AppendInt(out, n, 4);
    } else {
        out.insert(out.end(), {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
        AppendInt(out, n, 8);
    }
    for (const char16_t unit : settings.lastFolder) {
        AppendInt(out, unit, 2);
    }
    for (const std::int32_t value : {settings.theme, settings.width, settings.height, settings.maximized}) {
        AppendInt(out, static_cast<std::uint32_t>(value), 4);
    }
    return out;
}

FrameSettings ParseFrameSettings(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return FrameSettings{false, false};
    }
    return FrameSettings{data[0] != 0, data[1] != 0};
}

std::vector<std::uint8_t> SerializeFrameSettings(const FrameSettings& settings) {
    return {static_cast<std::uint8_t>(settings.autoUpdate ? 1 : 0),
            static_cast<std::uint8_t>(settings.noExitPrompt ? 1 : 0)};
}

#pragma once
// Fragment series written byte by byte, independently of the engine's own record writers, so
// that the joining engine's tests check the stored layout and not just agreement with the
// splitter. Also the only writer of the older header format, which the program never writes.

#include <zlib.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/core/testing/temp_folder.h"
#include "platform/twlib.h"

namespace kb::testing {

struct LeBytes {
    std::string s;
    LeBytes& I16(int16_t v) { return Put(static_cast<uint16_t>(v), 2); }
    LeBytes& I32(int32_t v) { return Put(static_cast<uint32_t>(v), 4); }
    LeBytes& U32(uint32_t v) { return Put(v, 4); }
    LeBytes& I64(int64_t v) { return Put(static_cast<uint64_t>(v), 8); }
    LeBytes& Text(const std::string& t) {
        I16(static_cast<int16_t>(t.size()));
        s += t;
        return *this;
    }
    LeBytes& Raw(const std::string& t) {
        s += t;
        return *this;
    }

private:
    LeBytes& Put(uint64_t v, int n) {
        for (int i = 0; i < n; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
        return *this;
    }
};

inline uint32_t ZCrc(const std::string& d) {
    return static_cast<uint32_t>(
        crc32(0L, reinterpret_cast<const Bytef*>(d.data()), static_cast<uInt>(d.size())));
}

inline std::string CommonHeader(int16_t version) {
    return LeBytes()
        .Text("Tarnwolde Extendable Fragment Format")
        .I16(version).I16(0).I16(0).I16(4).I16(0).I16(0)
        .s;
}

using Namer = std::function<std::string(int32_t)>;

// Cuts data into pieces: the first holds `first` bytes, the others `each` (the last the rest).
inline std::vector<std::string> CutData(const std::string& data, size_t first, size_t each) {
    std::vector<std::string> out;
    size_t pos = 0;
    size_t n = first;
    do {
        out.push_back(data.substr(pos, n));
        pos += out.back().size();
        n = each;
    } while (pos < data.size());
    return out;
}

struct Format4Options {
    std::string name = "data.bin";
    std::string tmpl = "%f.%N";
    int32_t encryption = 0;
    int32_t compression = 0;
    size_t firstData = 1000;  // data bytes in piece 1
    size_t data = 1000;       // data bytes in the other pieces
    int32_t countOverride = 0;
};

// Writes a series of the own format into the folder; returns the piece paths.
inline std::vector<std::string> WriteFormat4Series(const TempFolder& dir, const std::string& data,
                                                   const Format4Options& o, const Namer& name) {
    auto parts = CutData(data, o.firstData, o.data);
    const auto count = static_cast<int32_t>(parts.size());
    std::vector<std::string> paths;
    for (int32_t i = 1; i <= count; ++i) {
        LeBytes b;
        if (i == 1) {
            b.Raw(CommonHeader(4))
                .I32(o.countOverride ? o.countOverride : count)
                .Text(o.name)
                .I32(0)
                .I32(o.encryption)
                .I32(o.compression)
                .Text(o.tmpl)
                .I64(static_cast<int64_t>(data.size()));
        }
        const std::string& d = parts[static_cast<size_t>(i - 1)];
        b.I32(i).I32(count).U32(ZCrc(d)).Raw(d);
        paths.push_back(dir.Write(name(i), b.s));
    }
    return paths;
}

inline std::vector<std::string> WriteRawSeries(const TempFolder& dir, const std::string& data,
                                               size_t each, const Namer& name) {
    std::vector<std::string> paths;
    auto parts = CutData(data, each, each);
    for (size_t i = 0; i < parts.size(); ++i)
        paths.push_back(dir.Write(name(static_cast<int32_t>(i + 1)), parts[i]));
    return paths;
}

struct LegacyOptions {
    std::string name = "old.bin";
    int16_t version = 3;
    std::string passphrase;  // "": not enciphered
    bool trailer = false;
    size_t data = 1000;
    int16_t countOverride = 0;
};

// An older-format series: the common header with a version below 4, the older header, the
// encryption record when a passphrase is given, data enciphered with xcrypt, and 4-byte
// trailers ("TRLR") after every piece's data when asked for.
inline std::vector<std::string> WriteLegacySeries(const TempFolder& dir, const std::string& data,
                                                  const LegacyOptions& o, const Namer& name) {
    auto parts = CutData(data, o.data, o.data);
    const auto count = static_cast<int16_t>(parts.size());
    std::vector<std::string> paths;
    for (int16_t i = 1; i <= count; ++i) {
        LeBytes b;
        if (i == 1) {
            b.Raw(CommonHeader(o.version))
                .I16(o.countOverride ? o.countOverride : count)
                .Text(o.name)
                .I16(0)
                .I16(o.passphrase.empty() ? 0 : 1)
                .I16(0)
                .I16(0)
                .I16(o.trailer ? 1 : 0);
            if (!o.passphrase.empty()) {
                b.Text("ignored").I16(0).I16(0).I16(static_cast<int16_t>(platform::getcheck(
                    o.passphrase, static_cast<int32_t>(o.passphrase.size()))));
            }
        }
        std::string d = parts[static_cast<size_t>(i - 1)];
        if (!o.passphrase.empty())
            platform::xcrypt(d.data(), o.passphrase, static_cast<int32_t>(d.size()));
        b.Raw(d);
        if (o.trailer) b.Raw("TRLR");
        paths.push_back(dir.Write(name(i), b.s));
    }
    return paths;
}

// "base.001", "base.002", ... in the folder.
inline Namer Dotted3(const std::string& base) {
    return [base](int32_t i) {
        std::string n = std::to_string(i);
        while (n.size() < 3) n = "0" + n;
        return base + "." + n;
    };
}

}  // namespace kb::testing

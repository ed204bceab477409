#include "updater/UpdatePackage.h"

#include "platform/Stream.h"
#include "project/TaggedStream.h"
#include "updater/UpdateErrors.h"

#include <zlib.h>

namespace vorlin::updater {

namespace {

std::string Inflate(std::string_view compressed) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK) throw EDamagedPackage("zlib could not start");
    std::string out;
    char buffer[65536];
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
    z.avail_in = static_cast<uInt>(std::min<size_t>(compressed.size(), UINT32_MAX));
    int status = Z_OK;
    while (status != Z_STREAM_END) {
        z.next_out = reinterpret_cast<Bytef*>(buffer);
        z.avail_out = sizeof buffer;
        status = inflate(&z, Z_NO_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END) {
            inflateEnd(&z);
            throw EDamagedPackage(status == Z_BUF_ERROR ? "the compressed stream ends early"
                                                        : "the compressed stream is broken");
        }
        out.append(buffer, sizeof buffer - z.avail_out);
        if (out.size() > kMaxUnpackedPackage) {
            inflateEnd(&z);
            throw EDamagedPackage("it unpacks to more than 1 GB");
        }
    }
    inflateEnd(&z);
    return out;
}

std::vector<std::string> ReadList(TTaggedReader& reader) {
    std::vector<std::string> names;
    reader.ReadListBegin();
    while (!reader.EndOfList()) names.push_back(reader.ReadString());
    reader.ReadListEnd();
    return names;
}

// Each list is followed by one length and run of raw bytes per entry.
void ReadRuns(TTaggedReader& reader, TMemoryStream& stream, const std::vector<std::string>& names,
              std::vector<TPackageEntry>& entries) {
    for (const std::string& name : names) {
        const int32_t length = reader.ReadInteger();
        if (length < 0) throw EDamagedPackage("a negative length for " + name);
        reader.SyncStreamPosition();
        if (stream.Size() - stream.Position() < length) throw EDamagedPackage("the data of " + name + " ends early");
        TPackageEntry entry{name, std::string(static_cast<size_t>(length), '\0')};
        stream.ReadBuffer(entry.Data.data(), length);
        entries.push_back(std::move(entry));
    }
}

} // namespace

TUpdatePackage ReadPackage(std::string_view compressed) {
    TMemoryStream stream;
    const std::string plain = Inflate(compressed);
    stream.WriteBuffer(plain.data(), static_cast<int64_t>(plain.size()));
    stream.SetPosition(0);
    TUpdatePackage package;
    try {
        TTaggedReader reader(stream);
        ReadRuns(reader, stream, ReadList(reader), package.Patches);
        ReadRuns(reader, stream, ReadList(reader), package.Adds);
        reader.SyncStreamPosition();
    } catch (const EUpdateError&) {
        throw;
    } catch (const std::exception& e) {
        throw EDamagedPackage(e.what());
    }
    if (stream.Position() != stream.Size()) throw EDamagedPackage("bytes follow the add list");
    return package;
}

std::string WritePackage(const TUpdatePackage& package) {
    TMemoryStream plain;
    {
        TTaggedWriter writer(plain);
        for (const auto* entries : {&package.Patches, &package.Adds}) {
            writer.WriteListBegin();
            for (const TPackageEntry& entry : *entries) writer.WriteString(entry.Path);
            writer.WriteListEnd();
            for (const TPackageEntry& entry : *entries) {
                writer.WriteInteger(static_cast<int32_t>(entry.Data.size()));
                writer.Flush();
                plain.WriteBuffer(entry.Data.data(), static_cast<int64_t>(entry.Data.size()));
            }
        }
        writer.Flush();
    }
    uLongf size = compressBound(static_cast<uLong>(plain.Size()));
    std::string out(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(plain.Memory()),
                  static_cast<uLong>(plain.Size()), 9) != Z_OK)
        throw EUpdateError("The package could not be compressed");
    out.resize(size);
    return out;
}

} // namespace vorlin::updater

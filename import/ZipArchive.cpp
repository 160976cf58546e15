#include "import/ZipArchive.h"

#include <unzip.h>

#include <cstring>

#include "core/Errors.h"

namespace {

constexpr size_t kMaxPartBytes = size_t{1} << 30;

// A read-only stream over the bytes of the archive for minizip's file functions.
struct TMemoryStream {
    std::string_view bytes;
    ZPOS64_T at = 0;
};

voidpf ZCALLBACK openMemory(voidpf opaque, const void*, int mode) {
    if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ) return nullptr;
    return opaque;
}

uLong ZCALLBACK readMemory(voidpf, voidpf stream, void* buffer, uLong size) {
    auto* memory = static_cast<TMemoryStream*>(stream);
    const ZPOS64_T left = memory->bytes.size() - memory->at;
    const uLong count = static_cast<uLong>(std::min<ZPOS64_T>(size, left));
    if (count == 0) return 0;
    std::memcpy(buffer, memory->bytes.data() + memory->at, count);
    memory->at += count;
    return count;
}

uLong ZCALLBACK writeMemory(voidpf, voidpf, const void*, uLong) {
    return 0;
}

ZPOS64_T ZCALLBACK tellMemory(voidpf, voidpf stream) {
    return static_cast<TMemoryStream*>(stream)->at;
}

long ZCALLBACK seekMemory(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
    auto* memory = static_cast<TMemoryStream*>(stream);
    const ZPOS64_T size = memory->bytes.size();
    ZPOS64_T base = 0;
    if (origin == ZLIB_FILEFUNC_SEEK_CUR) base = memory->at;
    if (origin == ZLIB_FILEFUNC_SEEK_END) base = size;
    // minizip passes a negative offset from the end as a huge unsigned one.
    const ZPOS64_T target = base + offset;
    if (target > size) return -1;
    memory->at = target;
    return 0;
}

int ZCALLBACK closeMemory(voidpf, voidpf) {
    return 0;
}

int ZCALLBACK errorMemory(voidpf, voidpf) {
    return 0;
}

}  // namespace

struct TZipArchive::TState {
    TMemoryStream stream;
    unzFile zip = nullptr;
};

TZipArchive::TZipArchive(std::string_view bytes, const std::string& fileName)
    : m_state(std::make_unique<TState>()), m_fileName(fileName) {
    m_state->stream.bytes = bytes;
    zlib_filefunc64_def functions{};
    functions.zopen64_file = openMemory;
    functions.zread_file = readMemory;
    functions.zwrite_file = writeMemory;
    functions.ztell64_file = tellMemory;
    functions.zseek64_file = seekMemory;
    functions.zclose_file = closeMemory;
    functions.zerror_file = errorMemory;
    functions.opaque = &m_state->stream;
    m_state->zip = unzOpen2_64("memory", &functions);
    if (m_state->zip == nullptr) {
        throw EConvertError("The file \"" + fileName + "\" is not a zip archive or is damaged");
    }
}

TZipArchive::~TZipArchive() {
    if (m_state->zip != nullptr) unzClose(m_state->zip);
}

bool TZipArchive::has(const std::string& name) {
    return unzLocateFile(m_state->zip, name.c_str(), 1) == UNZ_OK;
}

std::optional<std::string> TZipArchive::part(const std::string& name) {
    if (!has(name)) return std::nullopt;
    const auto damaged = [&](const std::string& why) {
        return EConvertError("The part \"" + name + "\" of \"" + m_fileName + "\" " + why);
    };
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(m_state->zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) !=
        UNZ_OK) {
        throw damaged("is damaged");
    }
    if ((info.flag & 1) != 0)
        throw damaged("is encrypted: the workbook is protected by a password");
    if (info.uncompressed_size > kMaxPartBytes) throw damaged("is larger than 1 GiB");
    if (unzOpenCurrentFile(m_state->zip) != UNZ_OK) throw damaged("cannot be read");
    std::string bytes;
    char buffer[1 << 16];
    int count = 0;
    while ((count = unzReadCurrentFile(m_state->zip, buffer, sizeof buffer)) > 0) {
        // The size in the directory may lie: the bytes read are what count.
        if (bytes.size() + static_cast<size_t>(count) > kMaxPartBytes) {
            unzCloseCurrentFile(m_state->zip);
            throw damaged("is larger than 1 GiB");
        }
        bytes.append(buffer, static_cast<size_t>(count));
    }
    // A CRC mismatch shows only on closing.
    const int closed = unzCloseCurrentFile(m_state->zip);
    if (count < 0 || closed != UNZ_OK) throw damaged("is damaged");
    return bytes;
}

#include "netcdf_length.h"

#include <cpl_vsi.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr std::uint32_t dimensionTag = 0x0A;
constexpr std::uint32_t variableTag = 0x0B;
constexpr std::uint32_t attributeTag = 0x0C;
// Far beyond what the netCDF library writes; a header claiming more is
// garbage, not worth reading through.
constexpr std::uint64_t mostEntries = 1 << 20;

std::uint64_t Times(std::uint64_t a, std::uint64_t b) {
    return a != 0 && b > UINT64_MAX / a ? UINT64_MAX : a * b;
}

std::uint64_t Plus(std::uint64_t a, std::uint64_t b) { return b > UINT64_MAX - a ? UINT64_MAX : a + b; }

// Bytes of one value of the netCDF external type `type`; 0 for no such type.
std::uint64_t TypeSize(std::uint64_t type) {
    switch (type) {
        case 1: case 2: case 7: return 1;    // byte, char, unsigned byte
        case 3: case 8: return 2;            // short, unsigned short
        case 4: case 5: case 9: return 4;    // int, float, unsigned int
        case 6: case 10: case 11: return 8;  // double, 64-bit integers
        default: return 0;
    }
}

// The header read front to back, big-endian. Any read past the end of the
// file, or any value that makes no sense, clears ok() and reads as 0 after.
class Header {
public:
    Header(VSILFILE* file, std::uint64_t file_size) : file_(file), file_size_(file_size) {}

    bool ok() const { return ok_; }
    void Fail() { ok_ = false; }

    std::uint64_t Read(int bytes) {
        unsigned char data[8] = {};
        if (!ok_ || VSIFReadL(data, 1, static_cast<std::size_t>(bytes), file_) != static_cast<std::size_t>(bytes)) {
            ok_ = false;
            return 0;
        }
        std::uint64_t value = 0;
        for (int i = 0; i < bytes; ++i) value = value << 8 | data[i];
        return value;
    }
    std::uint64_t Word() { return Read(4); }
    // A count or a length: 8 bytes in CDF-5, else 4.
    std::uint64_t Count() { return Read(wide ? 8 : 4); }

    void Skip(std::uint64_t bytes) {
        const std::uint64_t at = ok_ ? VSIFTellL(file_) : 0;
        if (!ok_ || bytes > file_size_ - std::min(at, file_size_) || VSIFSeekL(file_, at + bytes, SEEK_SET) != 0)
            ok_ = false;
    }
    // Names and attribute values are padded to a multiple of 4 bytes.
    void SkipPadded(std::uint64_t bytes) { Skip(bytes > file_size_ ? bytes : (bytes + 3) / 4 * 4); }
    void SkipName() { SkipPadded(Count()); }

    // A list's tag and length; a list that is absent reads as length 0.
    std::uint64_t ListOf(std::uint32_t tag) {
        const std::uint64_t found = Word();
        const std::uint64_t length = Count();
        if ((found != tag && (found != 0 || length != 0)) || length > mostEntries) ok_ = false;
        return ok_ ? length : 0;
    }

    void SkipAttributes() {
        const std::uint64_t attributes = ListOf(attributeTag);
        for (std::uint64_t i = 0; i < attributes && ok_; ++i) {
            SkipName();
            const std::uint64_t size = TypeSize(Word());
            if (size == 0) ok_ = false;
            SkipPadded(Times(Count(), size));
        }
    }

    bool wide = false;

private:
    VSILFILE* file_;
    std::uint64_t file_size_;
    bool ok_ = true;
};

}  // namespace

bool ClassicNetcdfLength(const std::string& path, std::uint64_t& length) {
    VSIStatBufL status;
    if (VSIStatL(path.c_str(), &status) != 0 || !VSI_ISREG(status.st_mode)) return false;
    VSILFILE* file = VSIFOpenL(path.c_str(), "rb");
    if (file == nullptr) return false;
    const std::uint64_t file_size = static_cast<std::uint64_t>(status.st_size);
    Header header(file, file_size);

    char magic[4] = {};
    const bool classic = VSIFReadL(magic, 1, 4, file) == 4 && std::memcmp(magic, "CDF", 3) == 0 &&
                         (magic[3] == 1 || magic[3] == 2 || magic[3] == 5);
    header.wide = magic[3] == 5;
    const bool wideOffsets = magic[3] != 1;
    if (!classic) header.Fail();

    // A record count of all ones marks a file still being written: its
    // records are as many as the file holds.
    std::uint64_t records = header.Count();
    if (records == (header.wide ? UINT64_MAX : 0xFFFFFFFFu)) records = 0;

    std::vector<std::uint64_t> dimensions(header.ListOf(dimensionTag));
    for (std::uint64_t& dimension : dimensions) {
        header.SkipName();
        dimension = header.Count();  // 0 for the record dimension
    }
    header.SkipAttributes();

    // Each fixed-size variable lies at its offset; the records interleave
    // the record variables, one record after another from the first one's
    // offset, each record variable's part padded to 4 bytes unless it is
    // the only one.
    std::uint64_t fixedEnd = 0;
    std::uint64_t firstRecordEnd = 0;  // the furthest end of a record variable's part of record 0
    std::uint64_t recordSize = 0;
    std::uint64_t recordVariables = 0;
    const std::uint64_t variables = header.ListOf(variableTag);
    for (std::uint64_t i = 0; i < variables && header.ok(); ++i) {
        header.SkipName();
        const std::uint64_t rank = header.Count();
        if (rank > mostEntries) header.Fail();
        bool record = false;
        std::uint64_t values = 1;
        for (std::uint64_t k = 0; k < rank && header.ok(); ++k) {
            const std::uint64_t id = header.Count();
            if (id >= dimensions.size()) {
                header.Fail();
            } else if (dimensions[id] == 0) {
                if (k != 0) header.Fail();  // only the first dimension may be the records'
                record = true;
            } else {
                values = Times(values, dimensions[id]);
            }
        }
        header.SkipAttributes();
        const std::uint64_t size = TypeSize(header.Word());
        if (size == 0) header.Fail();
        header.Count();  // the size the header gives, which overflows for large variables
        const std::uint64_t begin = wideOffsets ? header.Read(8) : header.Word();
        const std::uint64_t bytes = Times(values, size);
        if (record) {
            ++recordVariables;
            recordSize = recordVariables == 1 ? bytes : Plus(Plus(recordSize, 3) / 4 * 4, Plus(bytes, 3) / 4 * 4);
            firstRecordEnd = std::max(firstRecordEnd, Plus(begin, bytes));
        } else {
            fixedEnd = std::max(fixedEnd, Plus(begin, bytes));
        }
    }
    VSIFCloseL(file);
    if (!header.ok()) return false;
    length = fixedEnd;
    if (records > 0) length = std::max(length, Plus(firstRecordEnd, Times(records - 1, recordSize)));
    return true;
}

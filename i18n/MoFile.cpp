#include "i18n/MoFile.h"

#include <bit>
#include <cstring>

#include "base/WholeFile.h"
#include "i18n/Errors.h"
#include "i18n/MoSearch.h"

namespace i18n {

namespace {

constexpr std::uint32_t kMagic = 0x950412DE;
constexpr std::uint32_t kSwappedMagic = 0xDE120495;
constexpr std::size_t kHeaderSize = 28;

std::uint32_t ReadLittleEndian(const std::byte* at) noexcept {
    std::uint32_t value = 0;
    std::memcpy(&value, at, sizeof value);
    if constexpr (std::endian::native == std::endian::big) {
        value = __builtin_bswap32(value);
    }
    return value;
}

std::string ReadCatalogFile(const std::string& fileName) {
    base::WholeFile file = base::ReadWholeFile(fileName, TMoFile::kMaxFileSize);
    switch (file.failure) {
        case base::WholeFile::Failure::None:
            break;
        case base::WholeFile::Failure::CannotOpen:
        case base::WholeFile::Failure::NotRegular:
            throw EGGIOError("Cannot open file " + fileName);
        case base::WholeFile::Failure::CannotStat:
        case base::WholeFile::Failure::TooLarge:
            throw EGGIOError("Cannot create memory map on file " + fileName);
        case base::WholeFile::Failure::ReadFailed:
            throw EGGIOError("Cannot map file " + fileName +
                             " into memory. Reason: " + std::strerror(file.systemError));
    }
    return std::move(file.bytes);
}

}  // namespace

TMoFile::TMoFile(std::span<const std::byte> bytes, const std::string& fileName)
    : bytes_(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
      data_(reinterpret_cast<const std::byte*>(bytes_.data())),
      size_(bytes_.size()) {
    Load(fileName);
}

TMoFile::TMoFile(const std::string& fileName, std::int64_t offset, std::int64_t size)
    : bytes_(ReadCatalogFile(fileName)) {
    const std::uint64_t fileSize = bytes_.size();
    // The range comes from the caller; a range outside the file is as bad as a broken header.
    if (offset < 0 || size < 0 || static_cast<std::uint64_t>(offset) > fileSize ||
        static_cast<std::uint64_t>(size) > fileSize - static_cast<std::uint64_t>(offset)) {
        throw EGGIOError("This file is not a valid GNU gettext mo file: " + fileName);
    }
    data_ = reinterpret_cast<const std::byte*>(bytes_.data()) + offset;
    size_ = size == 0 ? fileSize - static_cast<std::uint64_t>(offset) : static_cast<std::uint64_t>(size);
    Load(fileName);
}

TMoFile::~TMoFile() = default;

void TMoFile::Load(const std::string& fileName) {
    const auto invalid = [&fileName] {
        return EGGIOError("This file is not a valid GNU gettext mo file: " + fileName);
    };
    if (size_ < kHeaderSize) {
        throw invalid();
    }
    const std::uint32_t magic = ReadLittleEndian(data_);
    if (magic == kMagic) {
        swapBytes_ = false;
    } else if (magic == kSwappedMagic) {
        swapBytes_ = true;
    } else {
        throw invalid();
    }
    entryCount_ = Word(8);
    identifiersOffset_ = Word(12);
    translationsOffset_ = Word(16);

    // 64-bit sums: no offset or length from the file can wrap around.
    const std::uint64_t size = size_;
    const std::uint64_t tableBytes = std::uint64_t{entryCount_} * 8;
    if (identifiersOffset_ + tableBytes > size || translationsOffset_ + tableBytes > size) {
        throw invalid();
    }
    for (const std::uint64_t table : {identifiersOffset_, translationsOffset_}) {
        for (std::uint64_t entry = table; entry < table + tableBytes; entry += 8) {
            const std::uint64_t length = Word(entry);
            const std::uint64_t offset = Word(entry + 4);
            if (offset + length + 1 > size) {
                throw invalid();
            }
        }
    }

    firstProbe_ = FirstProbeFor(entryCount_);
    firstStep_ = static_cast<std::int32_t>(firstProbe_ / 2);
}

std::uint32_t TMoFile::Word(std::size_t offset) const noexcept {
    const std::uint32_t value = ReadLittleEndian(data_ + offset);
    return swapBytes_ ? __builtin_bswap32(value) : value;
}

std::string_view TMoFile::String(std::uint32_t tableOffset, std::uint32_t index) const noexcept {
    const std::size_t entry = tableOffset + std::size_t{8} * (index - 1);
    return {reinterpret_cast<const char*>(data_) + Word(entry + 4), Word(entry)};
}

TMoFile::LookupResult TMoFile::Lookup(std::string_view msgid) const noexcept {
    const std::uint32_t found = SearchIdentifiers(
        msgid, entryCount_, [this](std::uint32_t i) { return String(identifiersOffset_, i); },
        [](std::uint32_t) {});
    if (found == 0) {
        return {msgid, false};
    }
    return {String(translationsOffset_, found), true};
}

}  // namespace i18n

#include "i18n/MoFile.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "i18n/CatalogFileBytes.h"
#include "i18n/Errors.h"

namespace i18n {

namespace {

constexpr std::uint32_t kMagic = 0x950412DE;
constexpr std::uint32_t kSwappedMagic = 0xDE120495;
constexpr std::size_t kHeaderSize = 28;

std::uint32_t ReadLittleEndian(const std::byte* at) noexcept {
    std::uint32_t value;
    std::memcpy(&value, at, sizeof value);
    if constexpr (std::endian::native == std::endian::big) {
        value = __builtin_bswap32(value);
    }
    return value;
}

}  // namespace

TMoFile::TMoFile(std::span<const std::byte> bytes, const std::string& fileName)
    : buffer_(bytes.begin(), bytes.end()) {
    data_ = buffer_.data();
    size_ = buffer_.size();
    Load(fileName);
}

TMoFile::TMoFile(const std::string& fileName, std::int64_t offset, std::int64_t size)
    : fileBytes_(std::make_unique<CatalogFileBytes>(fileName)) {
    const std::span<const std::byte> file = fileBytes_->Data();
    const std::uint64_t fileSize = file.size();
    // The range comes from the caller; a range outside the file is as bad as a broken header.
    if (offset < 0 || size < 0 || static_cast<std::uint64_t>(offset) > fileSize ||
        static_cast<std::uint64_t>(size) > fileSize - static_cast<std::uint64_t>(offset)) {
        throw EGGIOError("This file is not a valid GNU gettext mo file: " + fileName);
    }
    data_ = file.data() + offset;
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

    std::uint64_t probe = 1;
    for (std::uint32_t n = entryCount_; n != 0; n /= 2) {
        probe *= 2;
    }
    firstProbe_ = static_cast<std::uint32_t>(probe / 2);
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

template <typename OnProbe>
TMoFile::LookupResult TMoFile::Search(std::string_view msgid, OnProbe onProbe) const noexcept {
    if (entryCount_ == 0) {
        return {msgid, false};
    }
    std::uint32_t i = firstProbe_;
    std::uint32_t step = static_cast<std::uint32_t>(firstStep_);
    for (;;) {
        onProbe(i);
        const std::string_view id = String(identifiersOffset_, i);
        const std::size_t common = std::min(msgid.size(), id.size());
        // memcmp compares as unsigned char, which is the order the catalog is sorted in.
        int order = common == 0 ? 0 : std::memcmp(msgid.data(), id.data(), common);
        if (order == 0) {
            order = msgid.size() < id.size() ? -1 : (msgid.size() > id.size() ? 1 : 0);
        }
        if (order == 0) {
            return {String(translationsOffset_, i), true};
        }
        if (step == 0) {
            return {msgid, false};
        }
        if (order < 0) {
            i = i < step + 1 ? 1 : i - step;
        } else {
            i = static_cast<std::uint32_t>(std::min<std::uint64_t>(std::uint64_t{i} + step, entryCount_));
        }
        step /= 2;
    }
}

TMoFile::LookupResult TMoFile::Lookup(std::string_view msgid) const noexcept {
    return Search(msgid, [](std::uint32_t) {});
}

std::vector<std::uint32_t> TMoFile::ProbeSequence(std::string_view msgid) const {
    std::vector<std::uint32_t> probes;
    Search(msgid, [&probes](std::uint32_t i) { probes.push_back(i); });
    return probes;
}

}  // namespace i18n

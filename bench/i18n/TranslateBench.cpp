// Lookup speed of the engine beside GNU gettext's own dgettext (glibc) on the same compiled catalog, and
// of TMoFile::Lookup beside a plain binary search over the same table. The "allocs" counter is
// the number of heap allocations per lookup.

#include <benchmark/benchmark.h>
#include <libintl.h>
#include <locale.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "base/WholeFile.h"
#include "i18n/FileLocator.h"
#include "i18n/GnuGettextInstance.h"
#include "i18n/MoFile.h"
#include "tests/i18n/EnglishLocale.h"

// GCC takes the malloc inside the counting operator new below for a mismatch with delete; it is not one.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

namespace {

std::atomic<std::uint64_t> allocations{0};

}  // namespace

// Counts every allocation; the library's operator delete frees with free(), which matches malloc here.
void* operator new(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* memory = std::malloc(size == 0 ? 1 : size)) {
        return memory;
    }
    throw std::bad_alloc();
}
void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}

namespace {

namespace fs = std::filesystem;

constexpr const char* kHit = "Server address mode";
constexpr const char* kHitTranslation = "服务器中心模式";
constexpr const char* kMiss = "Server address mode is not in the catalog";

const fs::path kCatalog = fs::path(DTUSMS_COMPILED_CATALOGS) / "zh_CN.mo";

struct FixedLocale final : i18n::test::ConstantLocale {
    FixedLocale() : i18n::test::ConstantLocale("zh_CN.UTF-8", "zh", "CN", 2052) {}
};
using NoMessages = i18n::test::SilentMessages;

void CountAllocations(benchmark::State& state, std::uint64_t before) {
    state.counters["allocs"] = benchmark::Counter(static_cast<double>(allocations.load() - before),
                                                  benchmark::Counter::kAvgIterations);
}

void BM_Translate(benchmark::State& state, const char* msgid) {
    NoMessages messages;
    FixedLocale locale;
    i18n::TFileLocator locator("/nonexistent/dtusms");
    i18n::TGnuGettextInstance engine(locator, "/nonexistent/dtusms", locale, messages);
    if (engine.Translate(kHit) != kHitTranslation) {
        state.SkipWithError("the engine does not translate the hit text");
        return;
    }
    const std::uint64_t before = allocations.load();
    for (auto _ : state) {
        benchmark::DoNotOptimize(engine.Translate(msgid));
    }
    CountAllocations(state, before);
}
BENCHMARK_CAPTURE(BM_Translate, hit, kHit);
BENCHMARK_CAPTURE(BM_Translate, miss, kMiss);

// GNU gettext reads the catalog from <dir>/zh_CN/LC_MESSAGES/dtusmsbench.mo under the zh_CN.UTF-8 locale.
bool SetUpDgettext(std::string& error) {
    static bool ready = false;
    if (ready) {
        return true;
    }
    const fs::path root = fs::temp_directory_path() / ("dtusms-bench-" + std::to_string(::getpid()));
    fs::create_directories(root / "zh_CN" / "LC_MESSAGES");
    fs::copy_file(kCatalog, root / "zh_CN" / "LC_MESSAGES" / "dtusmsbench.mo",
                  fs::copy_options::overwrite_existing);
    ::unsetenv("LANGUAGE");
    if (::setlocale(LC_ALL, "zh_CN.UTF-8") == nullptr) {
        // The locale may simply not be generated yet on this machine.
        // localedef exits non-zero on mere warnings, so only the second setlocale decides.
        [[maybe_unused]] const int generated =
            std::system("localedef -i zh_CN -f UTF-8 zh_CN.UTF-8 >/dev/null 2>&1");
        if (::setlocale(LC_ALL, "zh_CN.UTF-8") == nullptr) {
            error = "locale zh_CN.UTF-8 is not available";
            return false;
        }
    }
    ::bindtextdomain("dtusmsbench", root.c_str());
    ::bind_textdomain_codeset("dtusmsbench", "UTF-8");
    if (std::strcmp(::dgettext("dtusmsbench", kHit), kHitTranslation) != 0) {
        error = "dgettext does not return the translation";
        return false;
    }
    ready = true;
    return true;
}

void BM_Dgettext(benchmark::State& state, const char* msgid) {
    std::string error;
    if (!SetUpDgettext(error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    const std::uint64_t before = allocations.load();
    for (auto _ : state) {
        benchmark::DoNotOptimize(::dgettext("dtusmsbench", msgid));
    }
    CountAllocations(state, before);
}
BENCHMARK_CAPTURE(BM_Dgettext, hit, kHit);
BENCHMARK_CAPTURE(BM_Dgettext, miss, kMiss);

std::vector<std::string> CatalogKeysAndGaps() {
    const std::string file = base::ReadWholeFile(kCatalog.string()).bytes;
    const i18n::TMoFile catalog(kCatalog.string(), 0, 0);
    std::vector<std::string> keys;
    const char* data = file.data();
    for (std::uint32_t i = 0; i < catalog.EntryCount(); ++i) {
        std::uint32_t entry[2];
        std::memcpy(entry, data + catalog.IdentifiersOffset() + 8 * i, sizeof entry);
        keys.emplace_back(data + entry[1], entry[0]);
        keys.push_back(keys.back() + "~");
    }
    return keys;
}

// Every identifier of the catalog and one absent text after each, in turn.
void BM_MoFileLookup(benchmark::State& state) {
    const i18n::TMoFile catalog(kCatalog.string(), 0, 0);
    const std::vector<std::string> keys = CatalogKeysAndGaps();
    std::size_t next = 0;
    const std::uint64_t before = allocations.load();
    for (auto _ : state) {
        benchmark::DoNotOptimize(catalog.Lookup(keys[next]));
        next = next + 1 == keys.size() ? 0 : next + 1;
    }
    CountAllocations(state, before);
}
BENCHMARK(BM_MoFileLookup);

// The reference: a plain lower-bound binary search over the same little-endian table in memory.
void BM_PlainBinarySearch(benchmark::State& state) {
    const std::string file = base::ReadWholeFile(kCatalog.string()).bytes;
    const char* data = file.data();
    std::uint32_t header[5];
    std::memcpy(header, data, sizeof header);
    const std::uint32_t n = header[2], ids = header[3], strs = header[4];
    const auto field = [data](std::size_t at) {
        std::uint32_t value;
        std::memcpy(&value, data + at, sizeof value);
        return value;
    };
    const auto find = [&](std::string_view msgid) -> std::string_view {
        std::uint32_t low = 0, count = n;
        while (count > 0) {
            const std::uint32_t half = count / 2;
            const std::size_t entry = ids + 8 * std::size_t{low + half};
            if (std::string_view(data + field(entry + 4), field(entry)) < msgid) {
                low += half + 1;
                count -= half + 1;
            } else {
                count = half;
            }
        }
        if (low < n) {
            const std::size_t entry = ids + 8 * std::size_t{low};
            if (std::string_view(data + field(entry + 4), field(entry)) == msgid) {
                const std::size_t translation = strs + 8 * std::size_t{low};
                return {data + field(translation + 4), field(translation)};
            }
        }
        return msgid;
    };
    const std::vector<std::string> keys = CatalogKeysAndGaps();
    std::size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(find(keys[next]));
        next = next + 1 == keys.size() ? 0 : next + 1;
    }
}
BENCHMARK(BM_PlainBinarySearch);

}  // namespace

BENCHMARK_MAIN();

// Prints how long the listing parser and the reply assembly take on a full device listing.
//   parse_bench [LISTING_FILE]   (default: the test fixture with every label)
#include "exchange/reply_recognition.h"
#include "params/listing_parser.h"
#include "base/files.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

using Clock = std::chrono::steady_clock;

// Runs work repeatedly for about a quarter of a second; returns microseconds per run.
template <typename Work> double MicrosecondsPerRun(Work work, int* runs) {
    int n = 0;
    const auto start = Clock::now();
    auto elapsed = Clock::duration::zero();
    do {
        work();
        ++n;
        elapsed = Clock::now() - start;
    } while (elapsed < std::chrono::milliseconds(250));
    *runs = n;
    return std::chrono::duration<double, std::micro>(elapsed).count() / n;
}

void BenchParse(const char* name, const std::string& listing) {
    ParameterCatalogue parameters;
    ListParameterCatalogue lists;
    InterfacePresence presence;
    BuildParameterCatalogue(parameters, lists, 32);
    int runs = 0;
    const double us = MicrosecondsPerRun(
        [&] { ParseListing(listing.data(), listing.size(), parameters, lists, presence); }, &runs);
    size_t filled = 0;
    for (const auto& item : parameters)
        filled += item.second.value.empty() ? 0 : 1;
    std::printf("ParseListing, %-28s %6zu bytes: %9.1f us per parse (%d runs, %zu of %zu values "
                "filled)\n",
                name, listing.size(), us, runs, filled, parameters.size());
}

void BenchAssembly(const std::string& listing, size_t chunk) {
    int runs = 0;
    const double us = MicrosecondsPerRun(
        [&] {
            CReplyAssembler reply;
            reply.Reset(JOB_LOAD);
            for (size_t at = 0; at < listing.size(); at += chunk)
                reply.OnData(listing.data() + at, std::min(chunk, listing.size() - at));
        },
        &runs);
    std::printf("Reply assembly of the listing in %4zu-byte chunks: %9.1f us per listing "
                "(%.1f MB/s)\n",
                chunk, us, listing.size() / us);
}

} // namespace

int main(int argc, char** argv) {
    const char* path = argc > 1 ? argv[1] : ORVEL_LISTING_FIXTURE;
    std::string listing, why;
    if (!ReadFileBytes(path, listing, why)) {
        std::fprintf(stderr, "parse_bench: %s\n", why.c_str());
        return 1;
    }
    if (listing.find(kListingAnchor) == std::string::npos) {
        std::fprintf(stderr, "parse_bench: %s holds no listing\n", path);
        return 1;
    }
    if (kSanitized)
        std::printf("(built with AddressSanitizer: expect several times a release build's time)\n");

    int runs = 0;
    const double buildUs = MicrosecondsPerRun(
        [] {
            ParameterCatalogue parameters;
            ListParameterCatalogue lists;
            BuildParameterCatalogue(parameters, lists, 32);
        },
        &runs);
    std::printf("BuildParameterCatalogue (217 rows, 32 sensor rows): %9.1f us\n", buildUs);

    BenchParse("full listing", listing);
    // A device with long custom texts: the same listing with ten values of 1000 characters.
    std::string longer = listing;
    const char* labels[] = {"Custom Register Info:",    "Custom Register reply Info:",
                            "Custom Keep Online Info:", "Custom Keep Onlinereply Info:",
                            "MQTT Send Topic:",         "MQTT Receive Topic:",
                            "DIO1 query command:",      "DIO2 query command:",
                            "DIO3 query command:",      "DIO4 query command:"};
    for (const char* label : labels) {
        const size_t at = longer.find(label);
        if (at != std::string::npos)
            longer.insert(at + std::string(label).size(), std::string(1000, 'p'));
    }
    BenchParse("with ten 1000-byte values", longer);
    BenchParse("no anchor (ignored)",
               "\r\nServer's Ip:1.2.3.4\r\nOK\r\n" + std::string(5000, 'x') + kListingAnchor);

    for (size_t chunk : {16, 256, 4095})
        BenchAssembly(listing, chunk);
    return 0;
}

#include "modem/ErrorCodes.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace modem {
namespace {

using Entry = std::pair<int, std::string_view>;

// Sorted by code. The phrases follow one pattern: lower case, no final full stop, the cause first and
// what the user can do about it after a semicolon where there is something to do.
constexpr Entry kCms[] = {
    {1, "unassigned number; check the phone number"},
    {8, "operator determined barring"},
    {10, "call barred; the SIM card may not send messages to this number"},
    {17, "network failure"},
    {21, "message transfer rejected by the network"},
    {22, "recipient's memory capacity exceeded"},
    {27, "destination out of service"},
    {28, "unidentified subscriber"},
    {29, "facility rejected; the SIM card may not be allowed to send messages"},
    {30, "unknown subscriber; check the phone number"},
    {38, "network out of order"},
    {41, "temporary network failure; try again"},
    {42, "network congestion; try again later"},
    {47, "network resources unavailable"},
    {50, "messaging not subscribed for this SIM card"},
    {69, "requested facility not implemented"},
    {81, "invalid message reference"},
    {95, "invalid message"},
    {96, "invalid mandatory information"},
    {97, "message type not implemented"},
    {98, "message not compatible with the protocol state"},
    {99, "information element not implemented"},
    {111, "protocol error"},
    {127, "interworking error"},
    {128, "telematic interworking not supported"},
    {143, "unsupported protocol identifier"},
    {144, "data coding scheme not supported"},
    {145, "message class not supported"},
    {159, "data coding error"},
    {176, "message type not supported"},
    {192, "service centre busy"},
    {193, "no service-centre subscription"},
    {194, "service-centre system failure"},
    {195, "invalid recipient address; check the phone number"},
    {196, "recipient barred"},
    {197, "duplicate message rejected"},
    {198, "validity period format not supported"},
    {199, "validity period not supported"},
    {208, "SIM message storage full"},
    {209, "no message storage on the SIM card"},
    {210, "error in the modem"},
    {211, "memory capacity exceeded"},
    {212, "SIM toolkit busy"},
    {255, "unspecified error"},
    {300, "modem failure"},
    {301, "the modem's message service is reserved"},
    {302, "operation not allowed"},
    {303, "operation not supported"},
    {304, "invalid PDU mode parameter"},
    {305, "invalid text mode parameter"},
    {310, "no SIM card"},
    {311, "the SIM card needs its PIN"},
    {312, "the modem needs its phone-lock code"},
    {313, "SIM card failure"},
    {314, "SIM card busy; try again"},
    {315, "wrong SIM card"},
    {316, "the SIM card needs its PUK"},
    {317, "the SIM card needs its PIN2"},
    {318, "the SIM card needs its PUK2"},
    {320, "memory failure"},
    {321, "invalid memory index"},
    {322, "memory full"},
    {330, "service-centre number unknown; enter the service-centre number"},
    {331, "no network service"},
    {332, "network time-out"},
    {340, "no acknowledgement expected"},
    {500, "unknown error"},
    {512, "manufacturer-specific error"},
};

constexpr Entry kCme[] = {
    {0, "modem failure"},
    {1, "no connection to the modem"},
    {2, "modem link reserved"},
    {3, "operation not allowed"},
    {4, "operation not supported"},
    {5, "the modem needs its phone-lock code"},
    {10, "no SIM card"},
    {11, "the SIM card needs its PIN"},
    {12, "the SIM card needs its PUK"},
    {13, "SIM card failure"},
    {14, "SIM card busy; try again"},
    {15, "wrong SIM card"},
    {16, "incorrect password"},
    {17, "the SIM card needs its PIN2"},
    {18, "the SIM card needs its PUK2"},
    {20, "memory full"},
    {21, "invalid memory index"},
    {22, "not found"},
    {23, "memory failure"},
    {24, "text too long"},
    {25, "invalid characters in the text"},
    {26, "phone number too long"},
    {27, "invalid characters in the phone number"},
    {30, "no network service"},
    {31, "network time-out"},
    {32, "network not allowed; emergency calls only"},
    {40, "network personalisation PIN required"},
    {41, "network personalisation PUK required"},
    {42, "network subset personalisation PIN required"},
    {43, "network subset personalisation PUK required"},
    {44, "service provider personalisation PIN required"},
    {45, "service provider personalisation PUK required"},
    {46, "corporate personalisation PIN required"},
    {47, "corporate personalisation PUK required"},
    {50, "incorrect parameters"},
    {100, "unknown error"},
    {103, "illegal SIM card"},
    {106, "illegal modem"},
    {107, "data services not allowed"},
    {111, "network not allowed"},
    {112, "location area not allowed"},
    {113, "roaming not allowed in this location area"},
    {148, "unspecified data service error"},
};

constexpr bool SortedByCode(const Entry* begin, const Entry* end) {
    return std::is_sorted(begin, end, [](const Entry& a, const Entry& b) { return a.first < b.first; });
}
static_assert(SortedByCode(std::begin(kCms), std::end(kCms)), "the look-up needs the codes in order");
static_assert(SortedByCode(std::begin(kCme), std::end(kCme)), "the look-up needs the codes in order");

std::string_view Find(const Entry* begin, const Entry* end, int code) {
    const Entry* found = std::lower_bound(
        begin, end, code, [](const Entry& entry, int wanted) { return entry.first < wanted; });
    return found != end && found->first == code ? found->second : std::string_view{};
}

}  // namespace

std::string_view CmsErrorMeaning(int code) {
    return Find(std::begin(kCms), std::end(kCms), code);
}

std::string_view CmeErrorMeaning(int code) {
    return Find(std::begin(kCme), std::end(kCme), code);
}

}  // namespace modem

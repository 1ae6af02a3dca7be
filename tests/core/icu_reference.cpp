#include "icu_reference.h"

#ifdef HJ_TEST_WITH_ICU
#include <unicode/basictz.h>
#include <unicode/locid.h>
#include <unicode/timezone.h>
#include <unicode/tznames.h>
#include <unicode/translit.h>
#include <unicode/tztrans.h>

#include <map>
#include <memory>
#include <mutex>

namespace hj::test::icu {
namespace {

using zones::rules::Offsets;
using zones::rules::ZoneRules;

::icu::UnicodeString unicodeOf(std::string_view s) {
    return ::icu::UnicodeString::fromUTF8(::icu::StringPiece(s.data(), static_cast<std::int32_t>(s.size())));
}

std::string utf8Of(const ::icu::UnicodeString& s) {
    std::string out;
    s.toUTF8String(out);
    return out;
}

class IcuRules : public ZoneRules {
public:
    explicit IcuRules(std::unique_ptr<::icu::TimeZone> tz) : tz_(std::move(tz)), basic_(dynamic_cast<::icu::BasicTimeZone*>(tz_.get())) {}
    bool ok() const { return basic_ != nullptr; }

    // ICU time-zone objects are not safe to share between threads: one lock for the few calls.
    Offsets offsetsAt(double ms) const override {
        std::lock_guard<std::mutex> lock(mutex_);
        int32_t raw = 0, dst = 0;
        UErrorCode status = U_ZERO_ERROR;
        basic_->getOffset(ms, false, raw, dst, status);
        if (U_FAILURE(status)) return {};
        return {raw / 1000, dst / 1000};
    }

    bool previousTransition(double ms, bool inclusive, double& when) const override {
        std::lock_guard<std::mutex> lock(mutex_);
        ::icu::TimeZoneTransition t;
        if (!basic_->getPreviousTransition(ms, inclusive, t)) return false;
        when = t.getTime();
        return true;
    }

private:
    std::unique_ptr<::icu::TimeZone> tz_;
    ::icu::BasicTimeZone* basic_;
    mutable std::mutex mutex_;
};

}  // namespace

bool available() { return true; }

std::string canonicalId(std::string_view id) {
    if (id.empty() || id.size() > 64) return {};
    ::icu::UnicodeString canonical;
    UBool isSystem = false;
    UErrorCode status = U_ZERO_ERROR;
    ::icu::TimeZone::getCanonicalID(unicodeOf(id), canonical, isSystem, status);
    if (U_FAILURE(status) || !isSystem) return {};
    return utf8Of(canonical);
}

const ZoneRules* zoneRules(std::string_view id) {
    static std::mutex mutex;
    static std::map<std::string, std::unique_ptr<IcuRules>, std::less<>> cache;
    std::lock_guard<std::mutex> lock(mutex);
    auto it = cache.find(id);
    if (it != cache.end()) return it->second.get();
    if (canonicalId(id).empty()) return nullptr;
    auto rules = std::make_unique<IcuRules>(std::unique_ptr<::icu::TimeZone>(::icu::TimeZone::createTimeZone(unicodeOf(id))));
    if (!rules->ok()) return nullptr;
    return cache.emplace(std::string(id), std::move(rules)).first->second.get();
}

std::string cityName(std::string_view canonicalZone) {
    UErrorCode status = U_ZERO_ERROR;
    static const std::unique_ptr<::icu::TimeZoneNames> names(::icu::TimeZoneNames::createInstance(::icu::Locale("zh"), status));
    if (!names || canonicalZone.empty()) return {};
    static std::mutex mutex;
    std::lock_guard<std::mutex> lock(mutex);
    ::icu::UnicodeString city;
    names->getExemplarLocationName(unicodeOf(canonicalZone), city);
    return utf8Of(city);
}

std::string countryName(std::string_view isoCode) {
    ::icu::UnicodeString country;
    ::icu::Locale(nullptr, std::string(isoCode).c_str()).getDisplayCountry(::icu::Locale("zh"), country);
    return utf8Of(country);
}

std::string transliterate(bool toTraditional, std::string_view utf8) {
    // Transliterators are not safe to share between threads; the tests use one.
    static std::mutex mutex;
    std::lock_guard<std::mutex> lock(mutex);
    static std::unique_ptr<::icu::Transliterator> t[2];
    auto& one = t[toTraditional ? 0 : 1];
    if (!one) {
        UErrorCode e = U_ZERO_ERROR;
        one.reset(::icu::Transliterator::createInstance(toTraditional ? "Hans-Hant" : "Hant-Hans", UTRANS_FORWARD, e));
        if (U_FAILURE(e)) one.reset();
    }
    if (!one) return std::string(utf8);
    auto u = unicodeOf(utf8);
    one->transliterate(u);
    return utf8Of(u);
}

}  // namespace hj::test::icu
#else
namespace hj::test::icu {
bool available() { return false; }
std::string transliterate(bool, std::string_view utf8) { return std::string(utf8); }
const zones::rules::ZoneRules* zoneRules(std::string_view) { return nullptr; }
std::string canonicalId(std::string_view) { return {}; }
std::string cityName(std::string_view) { return {}; }
std::string countryName(std::string_view) { return {}; }
}  // namespace hj::test::icu
#endif

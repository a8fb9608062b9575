#include "Platform/SignalSafeWriter.h"

namespace movra {

SignalSafeWriter::SignalSafeWriter(char* buffer, std::size_t size)
    : begin_(buffer), p_(buffer), end_(buffer + size - 1) {
    *p_ = 0;
}

void SignalSafeWriter::text(const char* s) {
    while (*s && p_ < end_) *p_++ = *s++;
    *p_ = 0;
}

void SignalSafeWriter::number(unsigned long long value, int width) {
    char digits[24];
    int n = 0;
    do digits[n++] = static_cast<char>('0' + value % 10);
    while ((value /= 10) != 0 && n < 24);
    while (n < width && n < 24) digits[n++] = '0';
    while (n > 0 && p_ < end_) *p_++ = digits[--n];
    *p_ = 0;
}

// Calendar arithmetic by hand: gmtime_r() is not async-signal-safe.
void SignalSafeWriter::utc(std::time_t time, bool compact) {
    long long days = static_cast<long long>(time) / 86400;
    long long rest = static_cast<long long>(time) % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    // Days since 1970-01-01 to a civil date (proleptic Gregorian, eras of 400 years).
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const long long dayOfEra = days - era * 146097;
    const long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long mp = (5 * dayOfYear + 2) / 153;
    const long long day = dayOfYear - (153 * mp + 2) / 5 + 1;
    const long long month = mp < 10 ? mp + 3 : mp - 9;
    const long long year = yearOfEra + era * 400 + (month <= 2);

    const char* dateSeparator = compact ? "" : "-";
    const char* timeSeparator = compact ? "" : ":";
    number(static_cast<unsigned long long>(year), 4);
    text(dateSeparator);
    number(static_cast<unsigned long long>(month), 2);
    text(dateSeparator);
    number(static_cast<unsigned long long>(day), 2);
    text("T");
    number(static_cast<unsigned long long>(rest / 3600), 2);
    text(timeSeparator);
    number(static_cast<unsigned long long>(rest / 60 % 60), 2);
    text(timeSeparator);
    number(static_cast<unsigned long long>(rest % 60), 2);
    text("Z");
}

}  // namespace movra

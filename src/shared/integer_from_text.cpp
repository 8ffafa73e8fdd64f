#include "shared/integer_from_text.hpp"

namespace bc {
namespace {

bool isBlank(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isLeadByte(unsigned char c) {
    return c >= 0x81 && c <= 0xFE;
}

// The single byte a double-byte character stands for, or 0 when it stands for none.
unsigned char mapDoubleByte(unsigned char lead, unsigned char trail) {
    if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE)
        return static_cast<unsigned char>(trail - 0x80);
    if (lead == 0xA1) {
        if (trail == 0xA1)
            return ' ';
        if (trail == 0xAB)
            return '~';
        if (trail == 0xEE || trail == 0xEF)
            return '*';
    }
    return 0;
}

} // namespace

void IntegerFromText::take(unsigned char c) {
    switch (stage_) {
    case Stage::LeadingBlanks:
        if (isBlank(c))
            return;
        if (c == '+' || c == '-') {
            negative_ = c == '-';
            stage_ = Stage::AfterSign;
            return;
        }
        [[fallthrough]];
    case Stage::AfterSign:
    case Stage::Digits:
        if (c >= '0' && c <= '9') {
            accumulator_ = accumulator_ * 10u + static_cast<std::uint32_t>(c - '0');
            stage_ = Stage::Digits;
        } else {
            stage_ = Stage::Done;
        }
        return;
    case Stage::Done:
        return;
    }
}

bool IntegerFromText::feed(std::string_view bytes) {
    for (char ch : bytes) {
        if (stage_ == Stage::Done)
            return false;
        const auto c = static_cast<unsigned char>(ch);
        if (pendingLead_ >= 0) {
            const auto lead = static_cast<unsigned char>(pendingLead_);
            pendingLead_ = -1;
            const unsigned char mapped = mapDoubleByte(lead, c);
            // An unmapped double-byte character is simply not a digit or a blank.
            take(mapped != 0 ? mapped : lead);
        } else if (isLeadByte(c)) {
            pendingLead_ = c;
        } else {
            take(c);
        }
    }
    return stage_ != Stage::Done;
}

std::int32_t IntegerFromText::finish() {
    if (pendingLead_ >= 0) {
        take(static_cast<unsigned char>(pendingLead_));
        pendingLead_ = -1;
    }
    stage_ = Stage::Done;
    const std::uint32_t value = negative_ ? 0u - accumulator_ : accumulator_;
    return static_cast<std::int32_t>(value);
}

std::int32_t integerFromText(std::string_view text) {
    IntegerFromText parser;
    parser.feed(text);
    return parser.finish();
}

} // namespace bc

#pragma once
#include <cstdint>
#include <string_view>

namespace bc {

// Reads an integer from code page 936 text the way the level file is read: full-width
// ASCII characters (lead byte 0xA3) count as their ASCII twins, the ideographic space as a
// blank, 0xA1 0xAB as '~' and 0xA1 0xEE / 0xA1 0xEF as '*'; then leading white space is
// skipped, one optional sign taken, and digits accumulated with 32-bit wraparound up to the
// first other character. No digits give 0.
//
// Fed in pieces, so a file of any size can be parsed without holding it in memory; a
// double-byte character split between two pieces is joined.
class IntegerFromText {
  public:
    // Returns false once the number has ended and further text cannot change the result.
    bool feed(std::string_view bytes);
    // Marks the end of the text (a dangling lead byte is a non-digit) and gives the value.
    std::int32_t finish();
    bool done() const { return stage_ == Stage::Done; }

  private:
    enum class Stage { LeadingBlanks, AfterSign, Digits, Done };
    void take(unsigned char c);

    Stage stage_ = Stage::LeadingBlanks;
    bool negative_ = false;
    std::uint32_t accumulator_ = 0;
    int pendingLead_ = -1;
};

std::int32_t integerFromText(std::string_view text);

} // namespace bc

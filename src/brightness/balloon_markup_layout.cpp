#include "brightness/balloon_markup_layout.hpp"

#include <algorithm>
#include <cwctype>

namespace bc {

namespace {

// The tag name, lower-cased, of "<name attributes>" given the text between the brackets.
std::wstring tagName(std::wstring_view inside) {
    std::wstring name;
    for (wchar_t c : inside) {
        if (std::iswspace(static_cast<wint_t>(c)))
            break;
        name.push_back(static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c))));
    }
    return name;
}

class LineBuilder {
  public:
    explicit LineBuilder(BalloonTextMeasurer& measurer) : measurer_(measurer) {}

    void append(wchar_t c, const BalloonTextStyle& style) {
        if (pendingStyle_ != style)
            flush();
        pendingStyle_ = style;
        pending_.push_back(c);
    }

    // Ends the current line; an empty line takes the height of the font in force.
    void endLine(const BalloonTextStyle& current) {
        flush();
        if (line_.runs.empty()) {
            const BalloonFontMetrics metrics = measurer_.fontMetrics(current);
            maxAscent_ = metrics.ascent;
            maxDescent_ = metrics.descent;
        }
        line_.top = block_.height;
        line_.ascent = maxAscent_;
        line_.height = maxAscent_ + maxDescent_;
        block_.width = std::max(block_.width, line_.width);
        block_.height += line_.height;
        block_.lines.push_back(std::move(line_));
        line_ = {};
        maxAscent_ = 0;
        maxDescent_ = 0;
    }

    BalloonTextBlock take() { return std::move(block_); }

  private:
    void flush() {
        if (pending_.empty())
            return;
        const int width = measurer_.runWidth(pendingStyle_, pending_);
        const BalloonFontMetrics metrics = measurer_.fontMetrics(pendingStyle_);
        maxAscent_ = std::max(maxAscent_, metrics.ascent);
        maxDescent_ = std::max(maxDescent_, metrics.descent);
        line_.runs.push_back({std::move(pending_), pendingStyle_, line_.width, width});
        line_.width += width;
        pending_.clear();
    }

    BalloonTextMeasurer& measurer_;
    BalloonTextBlock block_;
    BalloonTextLine line_;
    int maxAscent_ = 0;
    int maxDescent_ = 0;
    std::wstring pending_;
    BalloonTextStyle pendingStyle_;
};

} // namespace

BalloonTextBlock layoutBalloonMarkup(std::wstring_view markup, BalloonTextMeasurer& measurer) {
    LineBuilder builder(measurer);
    BalloonTextStyle style{kBalloonBaseWeight};
    std::vector<BalloonTextStyle> outer; // the style before each open "<b>"

    for (std::size_t i = 0; i < markup.size(); ++i) {
        const wchar_t c = markup[i];
        if (c == L'\r')
            continue;
        if (c == L'\n') {
            builder.endLine(style);
            continue;
        }
        if (c == L'<') {
            const std::size_t close = markup.find_first_of(L"<>\n", i + 1);
            if (close != std::wstring_view::npos && markup[close] == L'>') {
                const std::wstring name = tagName(markup.substr(i + 1, close - i - 1));
                if (name == L"b") {
                    outer.push_back(style);
                    style.weight = std::min(style.weight * 2, kBalloonMaxWeight);
                } else if (name == L"/b" && !outer.empty()) {
                    style = outer.back();
                    outer.pop_back();
                }
                i = close;
                continue;
            }
        }
        builder.append(c, style);
    }
    builder.endLine(style);
    return builder.take();
}

} // namespace bc

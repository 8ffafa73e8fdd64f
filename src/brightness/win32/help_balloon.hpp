#pragma once
#include "brightness/balloon_placement.hpp"
#include "brightness/win32/balloon_gdi.hpp"

#include <windows.h>

#include <cstdint>
#include <string_view>
#include <vector>

namespace bc::win32 {

// The balloon tip component 气球提示框1: one pale yellow callout whose tail points at a
// screen point, above all windows, never active, hidden by the next click, key or wheel turn
// in the program or by the program losing activation. GUI thread only.
class HelpBalloon {
  public:
    HelpBalloon() = default;
    HelpBalloon(const HelpBalloon&) = delete;
    HelpBalloon& operator=(const HelpBalloon&) = delete;
    ~HelpBalloon();

    // Creates the hidden balloon window and starts the closing watch on the calling thread.
    // A second call changes nothing. Returns whether the balloon exists.
    bool create(HINSTANCE instance);

    // Shows text as a balloon whose tail's tip touches (x, y), replacing a shown one; an
    // empty text only hides. The picture list is empty, so no icon index shows an icon, and
    // automatic closing is off, so allowAutoClose starts nothing. False when not created.
    bool showBalloon(int x, int y, std::wstring_view text, int iconIndex = -1,
                     bool allowAutoClose = false);

    void hide();
    bool isShown() const;
    HWND window() const { return window_.get(); }
    // Where the balloon last shown was placed.
    const BalloonPlacement& placement() const { return placement_; }

  private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK watchProc(int code, WPARAM wParam, LPARAM lParam);
    void startWatching();
    void stopWatching();

    UniqueWindow window_;
    BalloonPlacement placement_;
    std::vector<std::uintptr_t> pictures_; // icon handles; none are stored
    bool watching_ = false;
    HelpBalloon* nextWatched_ = nullptr; // the thread's other balloons
};

// The label's double-click: the help text at the cursor, without icon, never closing by itself.
void onLabelDoubleClick(HelpBalloon& balloon);

} // namespace bc::win32

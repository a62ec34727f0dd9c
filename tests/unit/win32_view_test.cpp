// The plain rules of the Win32 wizard window, checked against the real form: every control's
// window ID, twips to pixels, the client area, and the smoothing of the logo. (The keyboard is
// Windows' dialog manager's; the Wine tests press its keys.)
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "platform/recording_view.h"
#include "wizard/controls.h"
#include "wizard/form_model.h"
#include "wizard/layout.h"
#include "wizard/win32/control_ids.h"
#include "wizard/win32/pixels.h"
#include "wizard_fixture.h"

namespace vtr::win32 {
namespace {

// The form as the layout draws it, before start-up changes anything.
std::vector<ControlState> LaidOutForm() {
  RecordingView view;
  FormModel form(view);
  LayOutForm(form);
  return form.Controls();
}

TEST(ControlIds, EveryControlOfTheFormHasItsOwnStableId) {
  std::set<int> seen;
  for (const ControlState& c : LaidOutForm()) {
    const auto id = StableControlId(c.ref);
    ASSERT_TRUE(id.has_value()) << "no ID for " << testing::Utf8(ControlName(c.ref));
    EXPECT_TRUE(seen.insert(*id).second) << "ID " << *id << " used twice";
    // IDOK, IDCANCEL and the static of a message box mean something else to Windows.
    EXPECT_GT(*id, 2);
    EXPECT_NE(*id, 0xFFFF);
    EXPECT_LT(*id, kFirstUnlistedId);
  }
  EXPECT_EQ(seen.size(), LaidOutForm().size());
}

TEST(ControlIds, ArraysCountFromTheirBaseAndStayInsideIt) {
  EXPECT_EQ(StableControlId(ctl::ckInstall(2)), *StableControlId(ctl::ckInstall(1)) + 1);
  EXPECT_EQ(StableControlId(ctl::lbOpt(10)), *StableControlId(ctl::lbOpt(0)) + 10);
  // A single control counts as index 0 of its name.
  EXPECT_EQ(StableControlId(ctl::cmdNext()), StableControlId(ControlRef{L"cmdNext", 0}));
  // An index that would reach into the next name's numbers has no stable ID.
  EXPECT_EQ(StableControlId(ctl::cmdOpt(kIdsPerName)), std::nullopt);
  EXPECT_EQ(StableControlId(ControlRef{L"cmdHelp"}), std::nullopt);
}

TEST(Pixels, TwipsBecomePixelsAtTheWindowsDpi) {
  EXPECT_EQ(TwipsToPixels(1440, 96), 96);
  EXPECT_EQ(TwipsToPixels(7425, 96), 495);
  EXPECT_EQ(TwipsToPixels(15, 96), 1);
  EXPECT_EQ(TwipsToPixels(7, 96), 0);
  EXPECT_EQ(TwipsToPixels(8, 96), 1);    // half a pixel rounds up
  EXPECT_EQ(TwipsToPixels(-8, 96), -1);  // and away from zero below it
  EXPECT_EQ(TwipsToPixels(-10000, 96), -667);
  EXPECT_EQ(TwipsToPixels(7425, 144), 743);
  EXPECT_EQ(TwipsToPixels(2000000000, 192), 266666667);  // no overflow on the way

  // Neighbours that touch in twips touch on screen, whatever the rounding of each.
  const PixelRect left = TwipsToPixels(3840, 5460, 1035, 315, 120);
  const PixelRect right = TwipsToPixels(3840 + 1035, 5460, 285, 315, 120);
  EXPECT_EQ(left.left + left.width, right.left);
}

TEST(Pixels, TheClientAreaNeverCutsIntoTheForm) {
  // A thin frame leaves more than the controls need: the outer size decides.
  EXPECT_EQ(ClientSide(495, 6, 484, 4), 489);
  // A thick frame would leave the Finish button on the edge: the client area grows.
  EXPECT_EQ(ClientSide(495, 16, 484, 4), 488);
}

TEST(Pixels, AOneLineLabelGrowsToShowItsText) {
  const PixelRect label{158, 144, 47, 14};
  const PixelRect centred = WidenForOneLine(label, 52, true);
  EXPECT_EQ(centred.width, 52);
  EXPECT_EQ(centred.left, 155);  // three pixels to the left, two to the right
  const PixelRect left = WidenForOneLine(label, 52, false);
  EXPECT_EQ(left.left, 158);
  EXPECT_EQ(left.width, 52);
  EXPECT_EQ(WidenForOneLine(label, 40, true).width, 47);  // never narrower
}

TEST(Pixels, ControlsStayOffTheFramesLine) {
  const PixelRect frame{100, 100, 200, 60};
  // As wide as the frame and down to its bottom: pulled in by the line's width.
  const PixelRect label = KeepInsideBorder({100, 144, 200, 16}, frame, 2);
  EXPECT_EQ(label.left, 102);
  EXPECT_EQ(label.width, 196);
  EXPECT_EQ(label.top, 144);
  EXPECT_EQ(label.height, 14);
  // Well inside: unchanged.
  const PixelRect inside = KeepInsideBorder({120, 120, 50, 20}, frame, 2);
  EXPECT_EQ(inside.left, 120);
  EXPECT_EQ(inside.width, 50);
  EXPECT_EQ(inside.height, 20);
  // Wholly outside (a control parked away from its frame): nothing left to draw.
  EXPECT_EQ(KeepInsideBorder({400, 120, 50, 20}, frame, 2).width, 0);
}

TEST(Pixels, ThePictureIsAveragedDownBlockByBlock) {
  // A 2 x 1 picture drawn at twice its size: black and white on the left, all white on the
  // right; the spare byte averages like the others.
  const uint32_t white = 0x00FFFFFF;
  const uint32_t black = 0xFF000000;
  const std::vector<uint32_t> large = {black, white, white, white,  //
                                       white, black, white, white};
  const std::vector<uint32_t> small = AverageDown(large, 2, 1, 2);
  ASSERT_EQ(small.size(), 2u);
  EXPECT_EQ(small[0], 0x80808080u);  // (2 x 255) / 4 rounds to 128; (2 x 255) / 4 likewise
  EXPECT_EQ(small[1], white);
  // A picture of the wrong size is refused, not read past its end.
  EXPECT_TRUE(AverageDown(large, 2, 2, 2).empty());
  EXPECT_TRUE(AverageDown(large, 0, 1, 2).empty());
}

}  // namespace
}  // namespace vtr::win32

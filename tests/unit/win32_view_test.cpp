// The plain rules of the Win32 wizard window, checked against the real form: every control's
// window ID, where the controls stand on a window that holds them all directly, what shows,
// the stacking order, the keyboard's walk (Tab, arrows, access keys), twips to pixels, the
// client area, and the smoothing of the logo.
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
#include "wizard/win32/form_tree.h"
#include "wizard/win32/pixels.h"
#include "wizard_fixture.h"

namespace vtr::win32 {
namespace {

using vtr::testing::Start;
using vtr::testing::Wizard;

// The form as the layout draws it, before start-up changes anything.
std::vector<ControlState> LaidOutForm() {
  RecordingView view;
  FormModel form(view);
  LayOutForm(form);
  return form.Controls();
}

// The controls the Tab key stops at, by name.
std::vector<std::wstring> TabWalk(const FormTree& tree) {
  std::vector<std::wstring> names;
  for (std::size_t i : tree.TabStops()) {
    names.push_back(ControlName(tree[i].ref));
  }
  return names;
}

std::size_t At(const FormTree& tree, const ControlRef& ref) {
  const auto i = tree.IndexOf(ref);
  EXPECT_TRUE(i.has_value()) << std::string(ref.name.begin(), ref.name.end());
  return i.value_or(0);
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

TEST(FormTree, ControlsStandWhereTheirFramesPutThem) {
  FormTree tree(LaidOutForm());
  // The Outlook box sits in the configuration frame, which sits in panel 2, parked at first.
  const std::size_t box = At(tree, ctl::ckOpt(0));
  EXPECT_EQ(tree.FormPosition(box), (TwipPoint{kPanelParked + 360 + 240, kPanelTop + 600 + 360}));
  // Moving the panel into place moves everything it holds.
  const std::size_t panel = At(tree, ctl::frWiz(2));
  tree[panel].left = kPanelLeft;
  EXPECT_EQ(tree.FormPosition(box), (TwipPoint{kPanelLeft + 360 + 240, kPanelTop + 600 + 360}));
  // Controls on the form itself stand where they are.
  EXPECT_EQ(tree.FormPosition(At(tree, ctl::cmdNext())), (TwipPoint{6180, 5460}));

  const std::vector<std::size_t> inside = tree.Contents(panel);
  std::vector<std::wstring> names;
  for (std::size_t i : inside) {
    names.push_back(ControlName(tree[i].ref));
  }
  EXPECT_EQ(names, (std::vector<std::wstring>{L"frConfig(0)", L"ckOpt(0)", L"lbOL", L"lbProOnly"}));
}

TEST(FormTree, AControlShowsAndWorksOnlyWithItsFrames) {
  FormTree tree(LaidOutForm());
  const std::size_t panel = At(tree, ctl::frWiz(2));
  const std::size_t frame = At(tree, ctl::frConfig(0));
  const std::size_t box = At(tree, ctl::ckOpt(0));
  EXPECT_FALSE(tree.Shown(box));  // every panel starts hidden
  tree[panel].visible = true;
  EXPECT_TRUE(tree.Shown(box));
  EXPECT_TRUE(tree.Usable(box));
  tree[frame].enabled = false;
  EXPECT_TRUE(tree.Shown(box));
  EXPECT_FALSE(tree.Enabled(box));
  EXPECT_FALSE(tree.Usable(box));
  tree[frame].enabled = true;
  tree[frame].visible = false;
  EXPECT_FALSE(tree.Usable(box));
}

TEST(FormTree, FramesLieBelowWhatTheyHoldAndComeForwardWithIt) {
  FormTree tree(LaidOutForm());
  const auto position = [&](const std::vector<std::size_t>& order, const ControlRef& ref) {
    return std::find(order.begin(), order.end(), At(tree, ref)) - order.begin();
  };
  std::vector<std::size_t> order = tree.StackingOrder();
  ASSERT_EQ(order.size(), tree.Size());
  for (std::size_t i = 0; i < tree.Size(); ++i) {
    if (const auto container = tree.ContainerOf(i)) {
      EXPECT_LT(position(order, tree[*container].ref), position(order, tree[i].ref));
    }
  }
  // The logo overlaps the product name and is drawn over it; panels cover the banner.
  EXPECT_GT(position(order, ctl::imgLogo()), position(order, ctl::lbProductName()));
  EXPECT_GT(position(order, ctl::frWiz(0)), position(order, ctl::lbWarning()));

  // Finish brought in front of Next (they share one place), then panel 7 in front of all.
  tree.BringToFront(At(tree, ctl::cmdFinish()));
  order = tree.StackingOrder();
  EXPECT_GT(position(order, ctl::cmdFinish()), position(order, ctl::cmdNext()));
  tree.BringToFront(At(tree, ctl::frWiz(7)));
  order = tree.StackingOrder();
  const auto panelAt = position(order, ctl::frWiz(7));
  EXPECT_EQ(panelAt + 1 + static_cast<long>(tree.Contents(At(tree, ctl::frWiz(7))).size()),
            static_cast<long>(order.size()));
  EXPECT_GT(position(order, ctl::cmdPath(2)), panelAt);
}

TEST(FormTree, TabWalksThePanelOnShowThenTheButtonRow) {
  Wizard w(Start{});
  ASSERT_TRUE(w.Click(ctl::cmdOpt(2)));  // Custom Install: the folder panel
  ASSERT_EQ(w.Panel(), 7);
  FormTree tree(w.view.Controls());
  EXPECT_EQ(TabWalk(tree), (std::vector<std::wstring>{L"ckInstall(1)", L"txPath(1)", L"cmdPath(1)",
                                                      L"ckInstall(2)", L"txPath(2)", L"cmdPath(2)",
                                                      L"cmdCancel", L"cmdBack", L"cmdNext"}));
  // Without the database the box and its button drop out, and Finish takes Next's place.
  ASSERT_TRUE(w.Click(ctl::ckInstall(1)));
  tree = FormTree(w.view.Controls());
  EXPECT_EQ(TabWalk(tree),
            (std::vector<std::wstring>{L"ckInstall(1)", L"ckInstall(2)", L"txPath(2)",
                                       L"cmdPath(2)", L"cmdCancel", L"cmdBack", L"cmdFinish"}));

  // Round the end both ways, and from nowhere to the first or last stop.
  const std::size_t first = At(tree, ctl::ckInstall(1));
  const std::size_t last = At(tree, ctl::cmdFinish());
  EXPECT_EQ(tree.NextTabStop(last, true), first);
  EXPECT_EQ(tree.NextTabStop(first, false), last);
  EXPECT_EQ(tree.NextTabStop(std::nullopt, true), first);
  EXPECT_EQ(tree.NextTabStop(std::nullopt, false), last);
  // From a control that is no stop (the disabled path box), on to the next one after it.
  EXPECT_EQ(tree.NextTabStop(At(tree, ctl::txPath(1)), true), At(tree, ctl::ckInstall(2)));
  EXPECT_EQ(tree.NextTabStop(At(tree, ctl::txPath(1)), false), first);
}

TEST(FormTree, OptionButtonsAreOneStopAndTheArrowsWalkTheGroup) {
  FormTree tree(LaidOutForm());
  tree[At(tree, ctl::frWiz(1))].visible = true;
  const std::size_t both = At(tree, ctl::optInstall(0));
  const std::size_t program = At(tree, ctl::optInstall(1));
  const std::size_t database = At(tree, ctl::optInstall(2));
  EXPECT_EQ(TabWalk(tree), (std::vector<std::wstring>{L"optInstall(0)", L"cmdCancel", L"cmdBack",
                                                      L"cmdNext", L"cmdFinish"}));
  tree[both].value = 0;
  tree[database].value = 1;
  EXPECT_EQ(TabWalk(tree)[0], L"optInstall(2)");
  // None selected: the group's first member takes the stop.
  tree[database].value = 0;
  EXPECT_EQ(TabWalk(tree)[0], L"optInstall(0)");

  EXPECT_EQ(tree.NextInGroup(both, true), program);
  EXPECT_EQ(tree.NextInGroup(database, true), both);
  EXPECT_EQ(tree.NextInGroup(both, false), database);
  tree[program].enabled = false;  // a disabled member is passed over
  EXPECT_EQ(tree.NextInGroup(both, true), database);
  EXPECT_EQ(tree.NextInGroup(At(tree, ctl::cmdNext()), true), std::nullopt);
}

TEST(FormTree, AccessKeysFindTheUsableControlsThatCarryThem) {
  EXPECT_EQ(AccessKey(L"&Next"), L'N');
  EXPECT_EQ(AccessKey(L"Remo&ve"), L'V');
  EXPECT_EQ(AccessKey(L"Save && Exit"), std::nullopt);
  EXPECT_EQ(AccessKey(L"&&Save &as"), L'A');
  EXPECT_EQ(AccessKey(L"Browse...&"), std::nullopt);
  EXPECT_EQ(AccessKey(L""), std::nullopt);

  Wizard w(Start{});  // panel 0
  FormTree tree(w.view.Controls());
  const auto names = [&](wchar_t key) {
    std::vector<std::wstring> found;
    for (std::size_t i : tree.AccessKeyMatches(key)) {
      found.push_back(ControlName(tree[i].ref));
    }
    return found;
  };
  // "&Custom Install" and "&Cancel" share the key; any case finds them.
  EXPECT_EQ(names(L'c'), (std::vector<std::wstring>{L"cmdOpt(2)", L"cmdCancel"}));
  // "&Network Install" alone: Next is disabled and "&Install..." boxes are on hidden panels.
  EXPECT_EQ(names(L'N'), (std::vector<std::wstring>{L"cmdOpt(1)"}));
  EXPECT_TRUE(names(L'I').empty());
  // A text box's text is the user's, even with an ampersand in it.
  ASSERT_TRUE(w.Click(ctl::cmdOpt(2)));
  ASSERT_TRUE(w.Type(ctl::txPath(1), L"C:\\Tom &Jerry"));
  tree = FormTree(w.view.Controls());
  EXPECT_TRUE(names(L'J').empty());
}

TEST(FormTree, TheFormKeepsItsMarginAndReachesTheButtonRow) {
  const FormTree tree(LaidOutForm());
  // The banner frame starts 60 twips in; the banner reaches 7260 across, the buttons 5775
  // down. Parked panels count for nothing.
  EXPECT_EQ(tree.Margin(), (TwipPoint{60, 60}));
  EXPECT_EQ(tree.Extent(), (TwipPoint{7260, 5775}));
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

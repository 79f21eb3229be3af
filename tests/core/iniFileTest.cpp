#include "core/iniFileUn.h"
#include "platform/Log.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include "platform/ProgramKey.h"
#include "platform/Screen.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

using namespace kc;
namespace fs = std::filesystem;

namespace {

class SettingsTest : public ::testing::Test {
protected:
  void SetUp() override {}
  void TearDown() override { SetLogSink(nullptr); }

  static void put(std::string_view section, std::string_view ident, std::string_view value) {
    RegistryIni(kProgramKey).writeString(section, ident, value);
  }
  static std::string get(std::string_view section, std::string_view ident) {
    return RegistryIni(kProgramKey).readString(section, ident, "<none>");
  }
  static void putBounds(std::string_view form, const char *l, const char *t, const char *w, const char *h) {
    RegistryIni ini(kProgramKey);
    const std::pair<const char *, const char *> values[] = {{"Left", l}, {"Top", t}, {"Width", w}, {"Height", h}};
    for (auto [ident, v] : values) {
      if (v) ini.writeString(form, ident, v);
      else ini.deleteKey(form, ident);
    }
  }

  const std::string_view key = kProgramKey;
  kctest::TempDir tmp{"kc-settings"};
  const fs::path dir = tmp.path();
  kctest::ScopedEnv config{"XDG_CONFIG_HOME", dir.string()};
};

// A 1920 x 1080 desktop whose primary work area is 1920 x 1040.
const ScreenRect kWork{0, 0, 1920, 1040};
const ScreenRect kVirtual{0, 0, 1920, 1080};
const TFormBounds kCentred{730, 370, 460, 300};

TEST_F(SettingsTest, MainWindowPositionAcceptedOrCentred) {
  ScreenOverride screen(kWork, kVirtual);
  struct Case {
    const char *l, *t, *w, *h;
    std::optional<TFormBounds> accepted;
  };
  const Case cases[] = {
      {"100", "50", "600", "400", TFormBounds{100, 50, 600, 400}},
      {"0", "0", "1920", "1080", TFormBounds{0, 0, 1920, 1080}},
      {"$10", "0", "500", "300", TFormBounds{16, 0, 500, 300}},
      {"3000", "50", "460", "300", std::nullopt}, // off the right edge
      {"1461", "0", "460", "300", std::nullopt},  // one pixel too wide
      {"0", "781", "460", "300", std::nullopt},   // one pixel too low
      {"-5", "50", "460", "300", std::nullopt},
      {"10", "-1", "460", "300", std::nullopt},
      {"10", "10", "-1", "300", std::nullopt},
      {"10", "10", "0", "300", std::nullopt},
      {"10", "10", "460", "-40", std::nullopt},
      {nullptr, "10", "460", "300", std::nullopt},
      {"10", "10", "460", nullptr, std::nullopt},
      {"abc", "10", "460", "300", std::nullopt},
      {"2147483647", "10", "2147483647", "300", std::nullopt},
      {nullptr, nullptr, nullptr, nullptr, std::nullopt},
  };
  for (const auto &c : cases) {
    putBounds("TfmKavetChat", c.l, c.t, c.w, c.h);
    const TFormBounds got = LoadMainFormPosition(key);
    EXPECT_EQ(got, c.accepted.value_or(kCentred)) << (c.l ? c.l : "-") << "," << (c.t ? c.t : "-");
    EXPECT_EQ(LoadFormPosition(key, "TfmKavetChat"), got);
  }
}

TEST_F(SettingsTest, CentringRoundsHalvesToEven) {
  struct Case {
    int width, height, left, top;
  };
  const Case cases[] = {{1365, 767, 452, 234}, {1367, 769, 454, 234}, {800, 600, 170, 150}, {300, 200, -80, -50}};
  for (const auto &c : cases) {
    ScreenOverride screen({0, 0, c.width, c.height}, {0, 0, c.width, c.height});
    EXPECT_EQ(LoadMainFormPosition(key), (TFormBounds{c.left, c.top, 460, 300})) << c.width;
  }
}

TEST_F(SettingsTest, UserListDocksRightOfTheMainWindow) {
  ScreenOverride screen(kWork, kVirtual);
  const TFormBounds main{100, 80, 500, 320};
  EXPECT_EQ(LoadUserListPosition(key, main), (TFormBounds{600, 80, 180, 320}));
  EXPECT_EQ(LoadFormPosition(key, "TfmUserList", main), (TFormBounds{600, 80, 180, 320}));
  putBounds("TfmUserList", "1700", "0", "200", "900");
  EXPECT_EQ(LoadUserListPosition(key, main), (TFormBounds{1700, 0, 200, 900}));
  // Other forms keep their own placement.
  EXPECT_EQ(LoadFormPosition(key, "TfmStory", main), std::nullopt);
}

TEST_F(SettingsTest, SavedPositionLoadsBack) {
  ScreenOverride screen(kWork, kVirtual);
  SaveFormPosition(key, "TfmKavetChat", {11, 22, 333, 444});
  EXPECT_EQ(get("TfmKavetChat", "Left"), "11");
  EXPECT_EQ(get("TfmKavetChat", "Height"), "444");
  EXPECT_EQ(LoadMainFormPosition(key), (TFormBounds{11, 22, 333, 444}));
  programKeyStore()->reload();
  EXPECT_EQ(LoadMainFormPosition(key), (TFormBounds{11, 22, 333, 444}));
}

struct SwitchCase {
  const char *section, *ident;
  bool def, onFailure;
  bool (*load)(std::string_view);
  void (*save)(std::string_view, bool);
};

template <void (*L)(std::string_view, bool &)> bool viaAction(std::string_view k) {
  bool checked = false;
  L(k, checked);
  bool other = true;
  L(k, other);
  EXPECT_EQ(checked, other) << "the loader must set the state whatever it was";
  return checked;
}

const SwitchCase kSwitches[] = {
    {"StayOnTopUserList", "Value", true, true, viaAction<LoadStayOnTopUserList>, SaveStayOnTopUserList},
    {"StayOnTop", "Value", false, true, viaAction<LoadStayOnTop>, SaveStayOnTop},
    {"ShowUserList", "Value", true, true, viaAction<LoadShowUserList>, SaveShowUserList},
    {"HideInTrey", "Value", false, true, viaAction<LoadHideInTrey>, SaveHideInTrey},
    {"ShowHint", "Value", true, true, LoadShowHint, SaveShowHint},
    {"StopGifAnimation", "value", false, false, LoadStopGifAnimation, SaveStopGifAnimation},
    {"ShowGifAnimation", "value", false, false, LoadShowGifAnimation, SaveShowGifAnimation},
    {"CloseTalkGroupValue", "value", false, false, LoadCloseTalkGroupValue, SaveCloseTalkGroupValue},
    {"fmStory", "SaveHistory", true, true, LoadStorySaveHistory, SaveStorySaveHistory},
    {"fmStory", "PeriodStorage", false, false, LoadStoryPeriodStorage, SaveStoryPeriodStorage},
    {"fmStory", "SaveAsRTF", false, true, LoadStorySaveAsRTF, SaveStorySaveAsRTF},
    {"fmStory", "SaveAsTXT", true, false, LoadStorySaveAsTXT, SaveStorySaveAsTXT},
};

TEST_F(SettingsTest, SwitchesDefaultsStoredValuesAndFailures) {
  for (const auto &s : kSwitches) {
    SCOPED_TRACE(std::string(s.section) + "/" + s.ident);
    EXPECT_EQ(s.load(key), s.def);
    s.save(key, true);
    EXPECT_EQ(get(s.section, s.ident), "1");
    EXPECT_TRUE(s.load(key));
    s.save(key, false);
    EXPECT_EQ(get(s.section, s.ident), "0");
    EXPECT_FALSE(s.load(key));
    put(s.section, s.ident, "5");
    EXPECT_TRUE(s.load(key));
    put(s.section, s.ident, "yes");
    EXPECT_EQ(s.load(key), s.onFailure);
    put(s.section, s.ident, "");
    EXPECT_EQ(s.load(key), s.onFailure);
  }
}

TEST_F(SettingsTest, MessageTypeAndSoundsFallBackAsAWhole) {
  bool ip = true, time = false, pic = false;
  LoadShowMessageType(key, ip, time, pic);
  EXPECT_EQ((std::tuple{ip, time, pic}), (std::tuple{false, true, true}));
  SaveShowMessageType(key, true, false, false);
  EXPECT_EQ(get("ShowMessageType", "actShowDataTimewhenMessage"), "0");
  LoadShowMessageType(key, ip, time, pic);
  EXPECT_EQ((std::tuple{ip, time, pic}), (std::tuple{true, false, false}));
  put("ShowMessageType", "actShowPictureWhenMessage", "x");
  LoadShowMessageType(key, ip, time, pic);
  EXPECT_EQ((std::tuple{ip, time, pic}), (std::tuple{false, true, true}));

  bool a = true, b = false, c = false, d = false;
  LoadPlaySound(key, a, b, c, d);
  EXPECT_EQ((std::tuple{a, b, c, d}), (std::tuple{false, true, true, true}));
  SavePlaySound(key, true, false, true, false);
  EXPECT_EQ(get("PlaySound", "actSoundKavetChat"), "1");
  EXPECT_EQ(get("PlaySound", "actSoundUserConnect"), "0");
  LoadPlaySound(key, a, b, c, d);
  EXPECT_EQ((std::tuple{a, b, c, d}), (std::tuple{true, false, true, false}));
  put("PlaySound", "actSoundUserConnect", "?");
  LoadPlaySound(key, a, b, c, d);
  EXPECT_EQ((std::tuple{a, b, c, d}), (std::tuple{false, true, true, true}));
}

TEST_F(SettingsTest, ButtonsOptionsStayUnchangedOnFailure) {
  bool big = false, little = true, text = true;
  LoadButtonsOptions(key, big, little, text);
  EXPECT_EQ((std::tuple{big, little, text}), (std::tuple{true, false, false}));
  SaveButtonsOptions(key, false, true, true);
  EXPECT_EQ(get("ButtonsOptions", "actBtnLitleIcon"), "1");
  LoadButtonsOptions(key, big, little, text);
  EXPECT_EQ((std::tuple{big, little, text}), (std::tuple{false, true, true}));
  put("ButtonsOptions", "actBtnBigIcon", "1");
  put("ButtonsOptions", "actShowText", "bad");
  bool big2 = false, little2 = false, text2 = true;
  LoadButtonsOptions(key, big2, little2, text2);
  EXPECT_EQ((std::tuple{big2, little2, text2}), (std::tuple{false, false, true}));
}

TEST_F(SettingsTest, PrivateCloseAnswerKeepsWhatWasReadBeforeAFailure) {
  bool notShow = true, closeAll = false, leaveAll = true;
  LoadCloseTalkGroupPrivateValue(key, notShow, closeAll, leaveAll);
  EXPECT_EQ((std::tuple{notShow, closeAll, leaveAll}), (std::tuple{false, true, false}));
  SaveCloseTalkGroupPrivateValue(key, true, false, true);
  LoadCloseTalkGroupPrivateValue(key, notShow, closeAll, leaveAll);
  EXPECT_EQ((std::tuple{notShow, closeAll, leaveAll}), (std::tuple{true, false, true}));
  put("CloseTalkGroupPrivateValue", "CloseAll", "bad");
  LoadCloseTalkGroupPrivateValue(key, notShow, closeAll, leaveAll);
  EXPECT_EQ((std::tuple{notShow, closeAll, leaveAll}), (std::tuple{true, true, false}));
}

TEST_F(SettingsTest, StoryDaysAndInputPanelHeight) {
  EXPECT_EQ(LoadStoryDays(key), 10);
  SaveStoryDays(key, 3);
  EXPECT_EQ(get("fmStory", "Days"), "3");
  EXPECT_EQ(LoadStoryDays(key), 3);
  put("fmStory", "Days", "ten");
  EXPECT_EQ(LoadStoryDays(key), 10);

  struct Case {
    const char *stored;
    int max, min, want;
  };
  const Case cases[] = {
      {nullptr, 300, 80, 80}, {"20", 300, 80, 80},  {"150", 300, 80, 150},
      {"500", 300, 80, 300},  {"abc", 300, 80, 80}, {"150", 50, 80, 50},
  };
  for (const auto &c : cases) {
    if (c.stored) put("", "HeightNewMessagePanel", c.stored);
    else RegistryIni(kProgramKey).deleteKey("", "HeightNewMessagePanel");
    EXPECT_EQ(LoadHeightNewMessagePanel(key, c.max, c.min), c.want) << (c.stored ? c.stored : "-");
  }
  SaveHeightNewMessagePanel(key, 123);
  EXPECT_EQ(get("", "HeightNewMessagePanel"), "123");
  EXPECT_EQ(LoadHeightNewMessagePanel(key, 300, 80), 123);
}

TEST_F(SettingsTest, LanguageChoiceNeedsAnExistingFile) {
  const fs::path lng = dir / "Lng";
  fs::create_directories(lng);
  std::ofstream(lng / "Russian.lng") << "[LNG]\nLanguageName=Russian\n";
  std::ofstream(lng / "English.lng") << "[LNG]\nLanguageName=English\n";
  const std::string stored = (lng / "Russian.lng").string();

  auto items = [] {
    return std::vector<TLanguageItem>{
        {"/elsewhere/English.lng", false}, {"/old/place/Russian.lng", false}, {"C:\\Lng\\Russian.lng", false}};
  };

  std::vector<TLanguageItem> menu = items();
  LoadLanguageName(key, menu); // nothing stored
  for (const auto &i : menu) EXPECT_FALSE(i.Checked);

  put("LNGName", "Value", stored);
  menu = items();
  LoadLanguageName(key, menu);
  // The first item with the same file name, wherever it lies.
  EXPECT_FALSE(menu[0].Checked);
  EXPECT_TRUE(menu[1].Checked);
  EXPECT_FALSE(menu[2].Checked);

  fs::remove(lng / "Russian.lng");
  menu = items();
  LoadLanguageName(key, menu);
  for (const auto &i : menu) EXPECT_FALSE(i.Checked);

  menu = items();
  SaveLanguageName(key, menu); // none checked: nothing written
  EXPECT_EQ(get("LNGName", "Value"), stored);
  menu[2].Checked = true;
  menu[0].Checked = true;
  SaveLanguageName(key, menu);
  EXPECT_EQ(get("LNGName", "Value"), "/elsewhere/English.lng");
}

TEST_F(SettingsTest, ToolbarLayoutGoesThroughTheToolbarRoutinesUnderItsSubkey) {
  // No routine (no toolbars yet): nothing happens.
  LoadToolbarLayout(key, nullptr);
  SaveToolbarLayout(key, nullptr);

  std::vector<std::string> calls;
  LoadToolbarLayout(key, [&](std::string_view k) { calls.push_back("load " + std::string(k)); });
  SaveToolbarLayout(key, [&](std::string_view k) { calls.push_back("save " + std::string(k)); });
  EXPECT_EQ(calls, (std::vector<std::string>{"load Software\\Dornick\\Kavet Chat\\TBPAP",
                                             "save Software\\Dornick\\Kavet Chat\\TBPAP"}));
}

TEST_F(SettingsTest, AFailingToolbarLayoutIsReportedAndTheWindowGoesOn) {
  std::vector<std::string> lines;
  SetLogSink([&](const std::string &line) { lines.push_back(line); });
  EXPECT_NO_THROW(LoadToolbarLayout(key, [](std::string_view) { throw std::runtime_error("bad layout"); }));
  EXPECT_NO_THROW(SaveToolbarLayout(key, [](std::string_view) { throw std::runtime_error("disk full"); }));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[0].find("loading the toolbar layout: bad layout"), std::string::npos) << lines[0];
  EXPECT_NE(lines[1].find("saving the toolbar layout: disk full"), std::string::npos) << lines[1];
}

} // namespace

#pragma once
// The program's pictures, compiled in: the image lists of the main window,
// the animated emoticons of the catalogue and the program icon. Every list
// picture comes at its size and at twice its size, for screens at 200 %.
// tools/artgen draws them all; the numbers below are what items, tabs and
// messages store.
#include <QByteArray>
#include <QIcon>
#include <string_view>

#include "platform/ImageList.h"

namespace kc {

// Toolbar and menu pictures: ilHotImage (32 x 32) and ilHotImage16x16.
enum THotImage : int {
  hiTalk = 0,               // two speech bubbles: talk with user
  hiTalkGroup = 1,          // bubble over three people: talk with group
  hiUserList = 2,           // list with people: show user list
  hiMyProfile = 3,          // person with a pencil
  hiUserProfile = 4,        // person on a card
  hiOptions = 5,            // gear
  hiHelp = 6,               // question mark in a ring
  hiGroupClosed = 7,        // group with a red cross: a group talk was closed
  hiPrivateClosed = 8,      // bubble with a red cross: a private talk was closed
  hiOfferedFile = 9,        // sheet with a folded corner: an offered file
  hiAbout = 10,             // "i" in a circle
  hiWeb = 11,               // globe
  hiSite = 12,              // house
  hiSupport = 13,           // lifebuoy
  hiAutoReply = 14,         // answering machine: bubble with a clock
  hiAutoReplyOptions = 15,  // auto-reply with a gear
  hiMailUser = 16,          // envelope
  hiMailGroup = 17,         // envelope with people
  hiMailAll = 18,           // stack of envelopes
  hiMailEmpty = 19,         // open empty envelope
  hiNotTalkPrivate = 20,    // bubble with a no-entry sign
  hiNotTalkGroup = 21,      // group with a no-entry sign
  hiHistory = 22,           // book with a clock
  hiLanguage = 23,          // speech bubble with "A"
  hiStayOnTop = 24,         // pin on a window
  hiStayOnTopUserList = 25, // pin on a list
  hiHideInTray = 26,        // window going down into the tray
  hiShowHint = 27,          // yellow hint balloon
  hiSounds = 28,            // loudspeaker
  hiMessageFormat = 29,     // text lines with a colour mark
  hiGifAnimation = 30,      // film strip with a smiley
  hiButtons = 31,           // big and small buttons
  hiPanels = 32,            // toolbars over a window
  hiResetDialogs = 33,      // dialog with a circular arrow
  hiOpen = 34,              // window coming up
  hiClose = 35,             // power symbol
  hiSend = 36,              // paper plane
  hiStillEmoticon = 37,     // smiley
  hiAnimatedEmoticon = 38,  // winking smiley with motion marks
  hiInsertFile = 39,        // sheet with a plus
  hiInsertFolder = 40,      // folder with a plus
  hiClearText = 41,         // eraser
  hiCloseTalk = 42,         // bubble with a cross
  hiCopy = 43,
  hiCut = 44,
  hiPaste = 45,
  hiDelete = 46,
  hiSelectAll = 47,
  hiUndo = 48,
  hiOpenFile = 49, // open folder with an arrow
  hiSaveAs = 50,   // disk
  hiGetFile = 51,  // sheet with a down arrow
  hiCount = 52
};

// Tab, user and emoticon pictures: ilProfilesImage (32 x 32) and
// ilProfilesImage16x16. The send toolbar of a talk takes its pictures here.
enum TProfileImage : int {
  piNoPicture = 0,        // grey silhouette: a user without a picture
  piAllUsers = 1,         // globe with people: the all-users tab
  piOwnGroup = 2,         // three people: group talk tabs
  piAutoReply = 3,        // bubble with a clock
  piSend = 4,             // paper plane
  piFile = 5,             // sheet: a file without an icon of its own
  piFolder = 6,           // folder
  piStillEmoticon = 7,    // smiley: still emoticon palette
  piAnimatedEmoticon = 8, // winking smiley: animated emoticon palette
  piClearText = 9,        // eraser
  piCloseTalk = 10,       // bubble with a cross
  piFirstUser = 11,       // 11..24: user pictures
  piLastUser = 24,
  piFirstEmoticon = 25, // 25..49: still emoticons
  piLastEmoticon = 49,
  piCount = 50
};

// History dialog pictures: ilStory.
enum TStoryImage : int {
  siOpen = 0,   // open book
  siSaveAs = 1, // disk
  siMove = 2,   // sheet with an arrow
  siDelete = 3, // bin
  siFile = 4,   // history file
  siCount = 5
};

// Frames of the notification-area icon: 0 is the resting icon.
constexpr int kTreyFrames = 4;
// Animated emoticons of the catalogue, numbered 0 .. kCatalogueGifs - 1,
// each of the size its cell in the catalogue window is laid out for.
constexpr int kCatalogueGifs = 23;
inline constexpr int kCatalogueGifSizes[kCatalogueGifs][2] = {
    {17, 22}, {23, 20}, {28, 28}, {21, 27}, {24, 21}, {22, 18}, {16, 16}, {33, 26},
    {45, 30}, {19, 27}, {57, 28}, {37, 15}, {39, 18}, {26, 16}, {31, 20}, {30, 21},
    {61, 15}, {64, 22}, {40, 20}, {50, 15}, {32, 18}, {60, 23}, {15, 15}};

// Size 32 fills ilHotImage, 16 ilHotImage16x16 (any other size: 32);
// the list takes that size and is refilled from empty.
void FillHotImages(TCustomImageList &List, int Size);
void FillProfileImages(TCustomImageList &List, int Size);
// 16 x 16 frames.
void FillTreyAnimation(TCustomImageList &List);
// At the list's size when it is 32 x 32, else 16 x 16.
void FillStoryImages(TCustomImageList &List);

// The GIF file of animated emoticon Number; empty for a number outside
// 0 .. 22.
QByteArray CatalogueGif(int Number);

// The picture of an action of the main window's action list, by the
// action's name: an index into ilProfilesImage for the actions of a talk's
// send toolbar, which takes its pictures from there (actSendMessage,
// actSelectImageMood, actSelectGifMood, actInsertFile, actInsertFolder,
// actClearTextMessage, actCloseTalk), else into ilHotImage; -1 for an
// action shown without a picture (the switches inside the options' "Other
// options" submenus) and for unknown names.
int ActionImageIndex(std::string_view ActionName);
// The ilHotImage picture of a submenu or split button that has no action
// of its own, by the item's name (tbOptions, tbsiLanguage, tbPanelsOfTools,
// miOther, miAnimationGIF, miMessageFormat, miPlaySound, miButtonOptions,
// miAnsweringMachine, miAnsweringMachineTrey, miVariants); -1 for others.
int ItemImageIndex(std::string_view ItemName);

// The program icon at every size it is drawn in.
QIcon ProgramIcon();

} // namespace kc

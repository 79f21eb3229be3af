#pragma once
// The fixed English texts of the toolbar units.
namespace kc::tb {

inline constexpr const char *STBToolbarIndexOutOfBounds = "Toolbar item index out of range";
inline constexpr const char *STBToolbarItemReinserted = "Toolbar item already inserted";
inline constexpr const char *STBChevronItemMoreButtonsHint = "More Buttons|";
inline constexpr const char *STBDockParentNotAllowed =
    "A TTBDock control cannot be placed inside a tool window or another TTBDock";
inline constexpr const char *STBDockCannotChangePosition =
    "Cannot change Position of a TTBDock if it already contains controls";
inline constexpr const char *STBSaveNameNotSet =
    "Cannot save dockable window's position because Name property is not set";
inline constexpr const char *STBSaveDockedToNameNotSet =
    "Cannot save dockable window's position because DockedTo's Name property not set";
inline constexpr const char *SSkinNotInManager = "The skin cannot be removed because it's not part of the SkinManager";
inline constexpr const char *SSkinNotAdded = "This skin has not been added to the SkinManager.";

} // namespace kc::tb

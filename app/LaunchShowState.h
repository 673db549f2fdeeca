#pragma once

namespace teshmar {

// How the main window takes the show state it was launched with. Only the minimised states send
// it to the tray; every other state, a hidden one included, shows it normally: a console started
// hidden would hold the single-instance mutex with nothing to restore, and a maximised one would
// stretch a fixed layout.
enum class LaunchShow { Normal, ToTray };

constexpr LaunchShow LaunchShowFor(int showCommand) {
  switch (showCommand) {
    case 2:   // SW_SHOWMINIMIZED
    case 6:   // SW_MINIMIZE
    case 7:   // SW_SHOWMINNOACTIVE
    case 11:  // SW_FORCEMINIMIZE
      return LaunchShow::ToTray;
    default:
      return LaunchShow::Normal;
  }
}

}  // namespace teshmar

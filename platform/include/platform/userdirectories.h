#pragma once

#include <string>

// The per-user directories the utility looks in. Each is read from the environment at every
// call; none is created here. Results carry no trailing separator (except "/" itself).

// $HOME, or the account's home directory when HOME is unset or empty; "" with neither.
[[nodiscard]] std::string HomeDirectory();

// Where the user's programs keep their data: $XDG_DATA_HOME when that is an absolute path
// (other values are ignored, as the base directory rules ask), otherwise
// <home>/.local/share; "" without a home directory.
[[nodiscard]] std::string UserDataDirectory();

// The Wine prefix the show software runs in: $WINEPREFIX when set and not empty, otherwise
// <home>/.wine; "" without either.
[[nodiscard]] std::string WinePrefix();

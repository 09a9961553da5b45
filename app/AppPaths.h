#pragma once
#include <string>

// Where the application's data lie: the folder "mplayerstyle/" beside the executable. Every path is
// UTF-8 with "/"; a folder name ends with "/". Paths have no length limit of their own.
namespace app {

// The executable's folder with a trailing "/"; empty when it cannot be found.
std::string getModuleDir();
// For tests: makes getModuleDir report `dir` (a trailing "/" is added when missing); empty restores.
void overrideModuleDir(const std::string& dir);

// Relative folders: the skin bitmaps are opened relative to the current folder, the button strips are
// put behind the executable's folder by their callers.
std::string getImagesDir();        // "mplayerstyle/images/"
std::string getButtonImagesDir();  // "mplayerstyle/images/btn/"

// Absolute paths below the executable's folder; with an unknown executable folder the bare relative
// names, which resolve against the current folder.
std::string getLanguageDir();  // ".../mplayerstyle/language/"
std::string getConfigDir();    // ".../mplayerstyle/config/"
std::string getConfigFile();   // ".../mplayerstyle/config/configinfo.ini"
std::string getListFile();     // ".../mplayerstyle/config/listinfo.txt"

// Creates the config folder (and its parents) when missing, so that the settings and the play list
// can be written; false, with a debug line, when it cannot be made.
bool ensureConfigDir();

}  // namespace app

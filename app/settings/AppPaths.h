#pragma once
#include <string>

// Where the application's data lie. What it reads (skin images, language files) is in the folder
// "mplayerstyle/" beside the executable. What it writes (settings, play list) goes there too when that
// place can be written (a build folder, a portable copy); an installed program whose folder the user
// cannot write keeps them in the user's own folders by the XDG base directory rules instead. Every
// path is UTF-8 with "/"; a folder name ends with "/". Paths have no length limit of their own.
namespace app {

// The executable's folder with a trailing "/"; empty when it cannot be found.
std::string getModuleDir();
// For tests: makes getModuleDir report `dir` (a trailing "/" is added when missing); empty restores.
void overrideModuleDir(const std::string& dir);

// Relative folders, which their callers put behind the executable's folder: every data file is found
// from the program's own folder, whatever the working folder is.
std::string getImagesDir();        // "mplayerstyle/images/"
std::string getButtonImagesDir();  // "mplayerstyle/images/btn/"

// Absolute paths below the executable's folder; with an unknown executable folder the bare relative
// names, which resolve against the current folder.
std::string getLanguageDir();         // ".../mplayerstyle/language/"
std::string getInstalledConfigDir();  // ".../mplayerstyle/config/": the defaults of an installed copy

// Where the written files go is found once, at the first use or by settleDataPlaces, and again only
// after overrideModuleDir: reading a setting touches no folder but its file's.
//
// The program's start: finds the places now, makes the user's own folder when any file goes there
// (seeded with the installed defaults before anything in it is read) and sends the supervised
// threads' log (GThread) to getThreadLogFile().
void settleDataPlaces();

// Where the settings and the play list are written: the installed config folder when it can be
// written (or made), else "$XDG_CONFIG_HOME/KXMediaPlayer/" (by default "~/.config/KXMediaPlayer/").
std::string getConfigDir();
std::string getConfigFile();  // getConfigDir() + "configinfo.ini"
std::string getListFile();    // getConfigDir() + "listinfo.txt"

// The default snapshot folder: the executable's folder + "snapshot/" when it can be written (or
// made), else the user's pictures folder.
std::string getDefaultSnapshotDir();

// The supervised threads' log "ThreadException.log": in the executable's folder when that can be
// written, else in the config folder, beside the settings.
std::string getThreadLogFile();

// Creates the config folder (and its parents) when missing, so that the settings and the play list
// can be written. A user folder made here is seeded with the installed config folder's files (an
// installed default configinfo.ini or listinfo.txt). False, with a debug line, when it cannot be made.
bool ensureConfigDir();

// True when a file can be made in `dir` (with or without a trailing "/") or, when it does not exist,
// in its nearest existing parent folder.
bool canWriteOrCreate(const std::string& dir);

}  // namespace app

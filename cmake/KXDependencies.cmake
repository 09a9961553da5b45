find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
pkg_check_modules(FFMPEG REQUIRED IMPORTED_TARGET libavcodec libswscale libavutil)
pkg_check_modules(AMRNB REQUIRED IMPORTED_TARGET opencore-amrnb)
find_package(JPEG REQUIRED)
find_package(Iconv)
# Real platform backends: Qt 6 widgets for windows and drawing, SDL2 for sound.
find_package(Qt6 REQUIRED COMPONENTS Core Gui Widgets)
pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)

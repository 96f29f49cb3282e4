#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Qt for x86_64-w64-mingw32 from Debian's qt6-base source into a prefix (scripts/windows/setup.sh runs
# it; its key is this file's hash and the toolchain file's, so a change here builds a new Qt):
#
#   scripts/windows/build-qt.sh <qt6-base source folder> <build folder> <prefix>
#
# Only what the program and its tests use: Core, Gui, Widgets, PrintSupport, Concurrent, Test, the Windows
# and offscreen platform plugins, the Windows style and the ICO and GIF readers (the settings window's title
# is a GIF). Debian's tarball leaves out wintab,
# so tablet input is off; Qt's Windows plugin does not build without OpenGL, which stays (dynamic, chosen
# at run time). DirectWrite is off with Direct2D: Qt 6.4.2 builds its DirectWrite font engine only with
# Direct2D, while the Windows print engine calls it whenever DirectWrite is on (Qt6PrintSupport.dll then
# fails to link); the default font engine, GDI, is what the program uses. The tools (moc, rcc, uic) are the system's Qt of the same version. ccache stands in front
# of the compilers: a Qt built again after a change of this file compiles what the change touched.
set -euo pipefail
source=$1
build=$2
prefix=$3
here=$(cd "$(dirname "$0")" && pwd)

mkdir -p "$prefix"
# The program's builds chain-load the toolchain file through Qt's own; it is kept with the Qt.
cp "$here/mingw-toolchain.cmake" "$prefix/mingw-toolchain.cmake"

export CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
export CCACHE_BASEDIR=$(dirname "$build")
cmake -S "$source" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$prefix/mingw-toolchain.cmake" \
    -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DINPUT_opengl=dynamic -DFEATURE_tabletevent=OFF \
    -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_xml=OFF -DFEATURE_vulkan=OFF \
    -DFEATURE_direct2d=OFF -DFEATURE_directwrite=OFF -DFEATURE_jpeg=OFF -DFEATURE_sessionmanager=OFF \
    -DFEATURE_printpreviewwidget=OFF -DFEATURE_printpreviewdialog=OFF
cmake --build "$build"
cmake --install "$build"

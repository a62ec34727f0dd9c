# SetupVTR.exe: the portable core on the Win32 platform layer, one GUI executable linked
# statically, so nothing but Windows' own DLLs is needed beside it.
enable_language(RC)

# The shipped code is built for size: the program is downloaded and started once, and what
# it does is wait for Windows Installer. Each function and datum in a section of its own lets
# the linker drop what nothing uses. Link-time optimisation is left out: mingw-w64's GCC 12
# stops with an internal error on this code under -flto. Debug information is compiled in
# and then moved into a file of its own beside the executable (see below).
set(VTR_SHIPPED_COMPILE_OPTIONS -Os -g -ffunction-sections -fdata-sections)
set(VTR_SHIPPED_LINK_OPTIONS -Wl,--gc-sections)
target_compile_options(vtrcore PRIVATE ${VTR_SHIPPED_COMPILE_OPTIONS})

# The Win32 platform layer, a library of its own so that Windows-only tools can use it too.
file(GLOB VTR_WIN32_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/platform/win32/*.cpp)
add_library(vtrwin32 STATIC ${VTR_WIN32_SOURCES})
target_link_libraries(vtrwin32 PUBLIC vtrcore)
target_compile_options(vtrwin32 PRIVATE ${VTR_SHIPPED_COMPILE_OPTIONS})
# Windows 7 API level: a newer function must be looked up at run time, never imported.
target_compile_definitions(vtrwin32 PUBLIC
  UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
# Only DLLs that Windows always loads from its own folder may be imported (see
# system_libraries.h); comctl32, version and the like are loaded at run time instead.
target_link_libraries(vtrwin32 PUBLIC shell32 ole32 oleaut32 advapi32 user32 gdi32 uuid)

# The wizard's real window, on top of the platform layer; the entry hands it to the platform.
file(GLOB VTR_WIZARD_WIN32_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/wizard/win32/*.cpp)
add_library(vtrwizardwin32 STATIC ${VTR_WIZARD_WIN32_SOURCES})
target_link_libraries(vtrwizardwin32 PUBLIC vtrwin32)
target_compile_options(vtrwizardwin32 PRIVATE ${VTR_SHIPPED_COMPILE_OPTIONS})

add_executable(SetupVTR WIN32
  ${CMAKE_SOURCE_DIR}/src/app/setupvtr_main.cpp
  ${CMAKE_SOURCE_DIR}/src/app/lean_runtime.cpp
  ${CMAKE_SOURCE_DIR}/src/app/setupvtr.rc)
target_link_libraries(SetupVTR PRIVATE vtrwizardwin32)
target_compile_definitions(SetupVTR PRIVATE ${VTR_EDITION_DEFINITION})
target_compile_options(SetupVTR PRIVATE -municode ${VTR_SHIPPED_COMPILE_OPTIONS})
target_link_options(SetupVTR PRIVATE -municode -static -static-libgcc -static-libstdc++
  ${VTR_SHIPPED_LINK_OPTIONS}
  # Where each part of the executable came from, for the benchmark's account of its size.
  -Wl,-Map=${CMAKE_BINARY_DIR}/SetupVTR.map
  # A subsystem older than 6.0 gets the legacy window metrics on today's Windows.
  -Wl,--major-subsystem-version,6 -Wl,--minor-subsystem-version,0)
set_target_properties(SetupVTR PROPERTIES OUTPUT_NAME SetupVTR
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# What ships is stripped; its debug information stays beside it in SetupVTR.debug, which the
# executable names (with a checksum), so a debugger given a crash finds it. objcopy writes the
# current time into the PE header of both files unless SOURCE_DATE_EPOCH is in its environment:
# it gets the build's own date, so every build of one commit gives the same bytes.
set(VTR_DATED_OBJCOPY
  ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${VTR_SOURCE_DATE_EPOCH} ${CMAKE_OBJCOPY})
add_custom_command(TARGET SetupVTR POST_BUILD
  COMMAND ${VTR_DATED_OBJCOPY} --only-keep-debug $<TARGET_FILE:SetupVTR> SetupVTR.debug
  COMMAND ${VTR_DATED_OBJCOPY} --strip-all --add-gnu-debuglink=SetupVTR.debug
    $<TARGET_FILE:SetupVTR>
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  BYPRODUCTS ${CMAKE_BINARY_DIR}/SetupVTR.debug
  COMMENT "Moving the debug information of SetupVTR.exe into SetupVTR.debug"
  VERBATIM)

# The resource script takes the version from the project and finds the manifest and icon
# beside itself.
set_source_files_properties(${CMAKE_SOURCE_DIR}/src/app/setupvtr.rc PROPERTIES
  COMPILE_DEFINITIONS
    "VTR_VERSION_MAJOR=${PROJECT_VERSION_MAJOR};VTR_VERSION_MINOR=${PROJECT_VERSION_MINOR};VTR_VERSION_PATCH=${PROJECT_VERSION_PATCH}"
  INCLUDE_DIRECTORIES ${CMAKE_SOURCE_DIR}/src/app
  OBJECT_DEPENDS
    "${CMAKE_SOURCE_DIR}/src/app/setupvtr.manifest;${CMAKE_SOURCE_DIR}/src/app/res/setupvtr.ico")

# The release records the SHA-256 of every package it ships inside the program, which refuses a
# package that differs. scripts/release.sh builds and signs the packages, writes their digests
# ("<sha256>  <file name>" a line) to a file, and links the program again with this variable
# naming that file. Every other build records none and checks only the packages' product codes.
set(VTR_PACKAGE_DIGESTS "" CACHE FILEPATH
  "The package digests to record in SetupVTR.exe (a release's); empty for none")
if(VTR_PACKAGE_DIGESTS)
  if(NOT EXISTS "${VTR_PACKAGE_DIGESTS}")
    message(FATAL_ERROR "VTR_PACKAGE_DIGESTS names a file that is not there: ${VTR_PACKAGE_DIGESTS}")
  endif()
  set(VTR_DIGESTS_RC ${CMAKE_BINARY_DIR}/package_digests.rc)
  file(WRITE ${VTR_DIGESTS_RC} "PACKAGEDIGESTS RCDATA \"${VTR_PACKAGE_DIGESTS}\"\n")
  target_sources(SetupVTR PRIVATE ${VTR_DIGESTS_RC})
  set_source_files_properties(${VTR_DIGESTS_RC} PROPERTIES OBJECT_DEPENDS "${VTR_PACKAGE_DIGESTS}")
endif()

# The same program fixed to a workstation edition (VTRPRO_WS, which offers the ACE database
# engine), for the Wine tests of that edition only: it is never shipped.
add_executable(SetupVTR_WS WIN32
  ${CMAKE_SOURCE_DIR}/src/app/setupvtr_main.cpp
  ${CMAKE_SOURCE_DIR}/src/app/lean_runtime.cpp
  ${CMAKE_SOURCE_DIR}/src/app/setupvtr.rc)
target_link_libraries(SetupVTR_WS PRIVATE vtrwizardwin32)
target_compile_definitions(SetupVTR_WS PRIVATE VTR_EDITION_ID=L"VTRPRO_WS")
target_compile_options(SetupVTR_WS PRIVATE -municode ${VTR_SHIPPED_COMPILE_OPTIONS})
target_link_options(SetupVTR_WS PRIVATE -municode -static -static-libgcc -static-libstdc++ -s
  ${VTR_SHIPPED_LINK_OPTIONS} -Wl,--major-subsystem-version,6 -Wl,--minor-subsystem-version,0)
set_target_properties(SetupVTR_WS PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/wine)

# The same program with a silent run's waits cut to 10 seconds, for the Wine tests of a wait
# that runs out (another installation, a running product): it is never shipped.
add_executable(SetupVTR_ShortWait WIN32
  ${CMAKE_SOURCE_DIR}/src/app/setupvtr_main.cpp
  ${CMAKE_SOURCE_DIR}/src/app/lean_runtime.cpp
  ${CMAKE_SOURCE_DIR}/src/app/setupvtr.rc)
target_link_libraries(SetupVTR_ShortWait PRIVATE vtrwizardwin32)
target_compile_definitions(SetupVTR_ShortWait PRIVATE ${VTR_EDITION_DEFINITION}
  VTR_WAIT_LIMIT_SECONDS=10)
target_compile_options(SetupVTR_ShortWait PRIVATE -municode ${VTR_SHIPPED_COMPILE_OPTIONS})
target_link_options(SetupVTR_ShortWait PRIVATE -municode -static -static-libgcc -static-libstdc++ -s
  ${VTR_SHIPPED_LINK_OPTIONS} -Wl,--major-subsystem-version,6 -Wl,--minor-subsystem-version,0)
set_target_properties(SetupVTR_ShortWait PROPERTIES
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/wine)

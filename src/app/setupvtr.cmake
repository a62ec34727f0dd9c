# SetupVTR.exe: the portable core on the Win32 platform layer, one GUI executable linked
# statically, so nothing but Windows' own DLLs is needed beside it.
enable_language(RC)

# The Win32 platform layer, a library of its own so that Windows-only tools can use it too.
file(GLOB VTR_WIN32_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/platform/win32/*.cpp)
add_library(vtrwin32 STATIC ${VTR_WIN32_SOURCES})
target_link_libraries(vtrwin32 PUBLIC vtrcore)
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

add_executable(SetupVTR WIN32
  ${CMAKE_SOURCE_DIR}/src/app/setupvtr_main.cpp
  ${CMAKE_SOURCE_DIR}/src/app/setupvtr.rc)
target_link_libraries(SetupVTR PRIVATE vtrwizardwin32)
target_compile_options(SetupVTR PRIVATE -municode)
target_link_options(SetupVTR PRIVATE -municode -static -static-libgcc -static-libstdc++
  # A subsystem older than 6.0 gets the legacy window metrics on today's Windows.
  -Wl,--major-subsystem-version,6 -Wl,--minor-subsystem-version,0)
set_target_properties(SetupVTR PROPERTIES OUTPUT_NAME SetupVTR
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# The resource script takes the version from the project and finds the manifest and icon
# beside itself.
set_source_files_properties(${CMAKE_SOURCE_DIR}/src/app/setupvtr.rc PROPERTIES
  COMPILE_DEFINITIONS
    "VTR_VERSION_MAJOR=${PROJECT_VERSION_MAJOR};VTR_VERSION_MINOR=${PROJECT_VERSION_MINOR};VTR_VERSION_PATCH=${PROJECT_VERSION_PATCH}"
  INCLUDE_DIRECTORIES ${CMAKE_SOURCE_DIR}/src/app
  OBJECT_DEPENDS
    "${CMAKE_SOURCE_DIR}/src/app/setupvtr.manifest;${CMAKE_SOURCE_DIR}/src/app/res/setupvtr.ico")

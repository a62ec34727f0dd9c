# What makes two builds of the same commit byte-identical wherever they are built: the Windows
# executables carry neither the build's folders nor a link time, and the dates that the steps
# after the link write (objcopy's PE time stamp, see src/app/setupvtr.cmake) and the packages'
# dates (see packaging/reproducible_msi.py) are VTR_SOURCE_DATE_EPOCH.

# Source and build folders leave no trace in the objects (__FILE__, debug paths).
add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}/= -ffile-prefix-map=${CMAKE_BINARY_DIR}/=)
# No time stamp in the PE header.
add_link_options(-Wl,--no-insert-timestamp)

# The time every date the build writes is set to: SOURCE_DATE_EPOCH when the build has one (the
# release script passes the commit's time), else the time of the commit checked out, else 1980.
if(NOT DEFINED VTR_SOURCE_DATE_EPOCH)
  if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(epoch $ENV{SOURCE_DATE_EPOCH})
  else()
    execute_process(COMMAND git log -1 --format=%ct
      WORKING_DIRECTORY ${CMAKE_SOURCE_DIR} OUTPUT_VARIABLE epoch
      OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  endif()
  if(NOT epoch MATCHES "^[0-9]+$")
    set(epoch 315532800)
  endif()
  set(VTR_SOURCE_DATE_EPOCH ${epoch} CACHE STRING
    "Seconds since 1970 that the build's dates (packages, PE time stamps) are set to")
endif()
if(NOT VTR_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
  message(FATAL_ERROR
    "VTR_SOURCE_DATE_EPOCH must be a number of seconds, not '${VTR_SOURCE_DATE_EPOCH}'")
endif()

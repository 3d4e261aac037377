# The Wine test bed as the Windows suites' CMake sees it (test-bed.sh runs it): its prefix, the
# second word of the emulator (cmake/wine-run.sh PREFIX), and the Wine it runs, 32-bit for a
# 32-bit build as on 32-bit Windows. Where the bed's namespaces cannot be made here, as the x86
# bed's user namespace in a chroot, every test in the bed is registered disabled, so that CTest
# lists each as not run, and the reason is kept beside the prefix.
set(QUENTIX_TEST_BED ${CMAKE_CURRENT_LIST_DIR}/test-bed.sh)
set(QUENTIX_WINE_BED_UNAVAILABLE "")
if(CMAKE_CROSSCOMPILING_EMULATOR)
  list(LENGTH CMAKE_CROSSCOMPILING_EMULATOR QUENTIX_EMULATOR_WORDS)
  if(QUENTIX_EMULATOR_WORDS LESS 2)
    message(FATAL_ERROR "The emulator must be cmake/wine-run.sh followed by the Wine prefix")
  endif()
  list(GET CMAKE_CROSSCOMPILING_EMULATOR 1 QUENTIX_WINE_PREFIX)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(QUENTIX_WINE_ARCH win32)
  else()
    set(QUENTIX_WINE_ARCH win64)
  endif()
  execute_process(COMMAND ${QUENTIX_TEST_BED} probe ${QUENTIX_WINE_PREFIX} ${QUENTIX_WINE_ARCH}
                  RESULT_VARIABLE QUENTIX_WINE_BED_FAILED ERROR_VARIABLE QUENTIX_WINE_BED_WHY
                  ERROR_STRIP_TRAILING_WHITESPACE)
  if(QUENTIX_WINE_BED_FAILED)
    set(QUENTIX_WINE_BED_UNAVAILABLE "${QUENTIX_WINE_BED_WHY}")
    message(WARNING "${QUENTIX_WINE_BED_WHY}: its tests are registered disabled")
    file(WRITE ${QUENTIX_WINE_PREFIX}.unavailable "${QUENTIX_WINE_BED_WHY}\n")
  else()
    file(REMOVE ${QUENTIX_WINE_PREFIX}.unavailable)
  endif()
endif()

# Every test that runs a Windows program: inside the test bed, and never left hanging. The tests
# of a bed share its server's process list and the data its COM server serves (a scan sees every
# host, the unit tests see the data a case wrote), so they run one at a time.
function(quentix_require_wine_test_bed)
  set_tests_properties(${ARGN} PROPERTIES FIXTURES_REQUIRED wine_test_bed TIMEOUT 300)
  set_property(TEST ${ARGN} APPEND PROPERTY RESOURCE_LOCK wine_test_bed)
  set_property(TEST ${ARGN} APPEND PROPERTY LABELS wine)
  if(QUENTIX_WINE_BED_UNAVAILABLE)
    set_tests_properties(${ARGN} PROPERTIES DISABLED ON)
  endif()
endfunction()

# The whole check that CI runs once the packages are installed (scripts/install-deps.sh
# --windows): every build of CMakePresets.json through its own workflow, one after another, then
# the packages. A workflow's steps share one configure preset, so the `ci` workflow runs the
# builds' workflows as the tests of a build of its own, which compiles nothing.
enable_testing()

set(QUENTIX_CI_PREVIOUS "")
function(quentix_ci_step name)
  add_test(NAME ${name} COMMAND ${ARGN} WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
  # One after another, in this order: each build uses both cores.
  set_tests_properties(${name} PROPERTIES RUN_SERIAL ON DEPENDS "${QUENTIX_CI_PREVIOUS}"
                                          FIXTURES_SETUP ${name} TIMEOUT 1800)
  set(QUENTIX_CI_PREVIOUS ${name} PARENT_SCOPE)
endfunction()

foreach(workflow linux linux-sanitize windows-x64 windows-x86 windows-x64-tests
                 windows-x86-tests)
  quentix_ci_step(${workflow} ${CMAKE_COMMAND} --workflow --preset ${workflow})
endforeach()
# A test build runs the quentix.exe of the shipped build it names, which must be there first.
set_tests_properties(windows-x64-tests PROPERTIES FIXTURES_REQUIRED windows-x64)
set_tests_properties(windows-x86-tests PROPERTIES FIXTURES_REQUIRED windows-x86)

quentix_ci_step(packages ${PROJECT_SOURCE_DIR}/cmake/check-packages.sh
                ${PROJECT_SOURCE_DIR}/build ${PROJECT_VERSION})
set_tests_properties(packages PROPERTIES FIXTURES_REQUIRED "linux;windows-x64;windows-x86")

# The compiler warnings of this project's own code, as an interface target. Every target defined
# under the source tree links it (quentix_link_warnings, called once all are defined); code that
# the project only builds, GoogleTest's sources in a cross build, keeps its own options.
add_library(quentix_warnings INTERFACE)
target_compile_options(quentix_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion
  # GCC 12 reports overlapping copies inside std::string that cannot happen (its bug 105651).
  $<$<CXX_COMPILER_ID:GNU>:-Wno-restrict>
  $<$<BOOL:${QUENTIX_WARNINGS_AS_ERRORS}>:-Werror>)

# Links the warnings into every compiled target of DIRECTORY and of its subdirectories that lie
# under the source tree.
function(quentix_link_warnings directory)
  get_property(targets DIRECTORY ${directory} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY)$")
      target_link_libraries(${target} PRIVATE quentix_warnings)
    endif()
  endforeach()
  get_property(subdirectories DIRECTORY ${directory} PROPERTY SUBDIRECTORIES)
  foreach(subdirectory IN LISTS subdirectories)
    cmake_path(IS_PREFIX PROJECT_SOURCE_DIR ${subdirectory} NORMALIZE ours)
    if(ours)
      quentix_link_warnings(${subdirectory})
    endif()
  endforeach()
endfunction()

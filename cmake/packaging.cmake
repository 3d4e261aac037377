# Installation and packages: the executables, their manual pages where man pages are read, and
# the licence. `cpack` in a build folder writes the .deb (Linux) or the .zip (Windows).
include(GNUInstallDirs)
install(TARGETS quentix quentix-summary RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(CPACK_PACKAGE_NAME quentix)
set(CPACK_PACKAGE_VENDOR "Ferrowlake Server Tools")
set(CPACK_PACKAGE_CONTACT "Quentix maintainers <quentix@example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Finds Brannic DLLs in IIS and COM+ server processes that need recompiling")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_HOMEPAGE_URL "https://quentix.example.com/")

if(WIN32)
  # The .zip holds the very executables the Windows suites ran, unstripped and unchanged.
  install(FILES README.md LICENSE DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(CPACK_SYSTEM_NAME windows-x64)
  else()
    set(CPACK_SYSTEM_NAME windows-x86)
  endif()
  include(CPack)
  return()
endif()

# What Debian's policy asks of a package, which lintian checks: the manual page and the
# changelog compressed with gzip -9n, the licence as a machine-readable copyright file, and
# stripped executables. The files are made when the project is configured.
set(QUENTIX_DEBIAN_FILES ${CMAKE_BINARY_DIR}/debian-files)
set(QUENTIX_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/quentix)
file(MAKE_DIRECTORY ${QUENTIX_DEBIAN_FILES})
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${PROJECT_SOURCE_DIR}/docs/quentix.1 ${PROJECT_SOURCE_DIR}/docs/quentix-summary.1
             ${PROJECT_SOURCE_DIR}/docs/changelog
             ${PROJECT_SOURCE_DIR}/LICENSE)

function(quentix_gzip source target)
  execute_process(COMMAND gzip -9n INPUT_FILE ${source} OUTPUT_FILE ${target}
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "gzip could not compress ${source}")
  endif()
endfunction()

# The changelog's newest entry must be this version's.
file(STRINGS ${PROJECT_SOURCE_DIR}/docs/changelog QUENTIX_CHANGELOG_HEAD LIMIT_COUNT 1)
if(NOT QUENTIX_CHANGELOG_HEAD MATCHES "^quentix \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "docs/changelog has no entry for ${PROJECT_VERSION} at its top")
endif()
quentix_gzip(${PROJECT_SOURCE_DIR}/docs/quentix.1 ${QUENTIX_DEBIAN_FILES}/quentix.1.gz)
quentix_gzip(${PROJECT_SOURCE_DIR}/docs/quentix-summary.1
             ${QUENTIX_DEBIAN_FILES}/quentix-summary.1.gz)
quentix_gzip(${PROJECT_SOURCE_DIR}/docs/changelog ${QUENTIX_DEBIAN_FILES}/changelog.gz)

# The copyright file: the licence text as one Expat (MIT) paragraph, blank lines as " .".
file(READ ${PROJECT_SOURCE_DIR}/LICENSE QUENTIX_LICENSE)
string(REGEX REPLACE "\n+$" "" QUENTIX_LICENSE "${QUENTIX_LICENSE}")
string(REGEX MATCH "Copyright [^\n]*" QUENTIX_COPYRIGHT_LINE "${QUENTIX_LICENSE}")
string(REPLACE "Copyright (c) " "" QUENTIX_COPYRIGHT_HOLDER "${QUENTIX_COPYRIGHT_LINE}")
string(REGEX REPLACE "^MIT License\n+" "" QUENTIX_LICENSE_BODY "${QUENTIX_LICENSE}")
string(REGEX REPLACE "^Copyright [^\n]*\n+" "" QUENTIX_LICENSE_BODY "${QUENTIX_LICENSE_BODY}")
string(REPLACE "\n\n" "\n.\n" QUENTIX_LICENSE_BODY "${QUENTIX_LICENSE_BODY}")
string(REPLACE "\n" "\n " QUENTIX_LICENSE_BODY " ${QUENTIX_LICENSE_BODY}")
file(WRITE ${QUENTIX_DEBIAN_FILES}/copyright
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: quentix
Upstream-Contact: ${CPACK_PACKAGE_CONTACT}
Source: ${CPACK_PACKAGE_HOMEPAGE_URL}

Files: *
Copyright: ${QUENTIX_COPYRIGHT_HOLDER}
License: Expat
${QUENTIX_LICENSE_BODY}
")

install(FILES ${QUENTIX_DEBIAN_FILES}/quentix.1.gz ${QUENTIX_DEBIAN_FILES}/quentix-summary.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${QUENTIX_DEBIAN_FILES}/changelog.gz ${QUENTIX_DEBIAN_FILES}/copyright
        DESTINATION ${QUENTIX_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "QUENTIX is for administrators of Windows servers that host web applications
under IIS and components under COM+. It finds the DLLs built with the Brannic
language that run, or are registered to run, inside those server processes,
and reports for each whether it was compiled with Unattended Execution and
Retained In Memory, the two settings a DLL needs in a server process.
.
On Linux it reads /proc, so that server processes running under Wine are
scanned by their Windows names; it also checks single DLL files.
.
quentix-summary reads a fleet's reports, one per server, and says which
servers are clean, which have DLLs to recompile and which were not fully
checked, with JSON Lines, CSV and HTML outputs.")
include(CPack)

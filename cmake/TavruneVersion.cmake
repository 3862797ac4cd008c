# The program's version, build number and the checkout's revision, fixed when the build
# is configured, in one generated header for the resource, the window and the update
# service (target tavrune_version).
execute_process(COMMAND git rev-parse HEAD
  WORKING_DIRECTORY "${CMAKE_SOURCE_DIR}"
  OUTPUT_VARIABLE TAVRUNE_SOURCE_REVISION
  OUTPUT_STRIP_TRAILING_WHITESPACE
  ERROR_QUIET
  RESULT_VARIABLE tavrune_revision_result)
if(tavrune_revision_result EQUAL 0 AND TAVRUNE_SOURCE_REVISION MATCHES "^[0-9a-f]+$")
  string(SUBSTRING "${TAVRUNE_SOURCE_REVISION}" 0 7 TAVRUNE_SOURCE_REVISION)
else()
  # Outside a git checkout (a source archive) the build still says it has no revision.
  set(TAVRUNE_SOURCE_REVISION "0000000")
endif()
set(TAVRUNE_BUILD_NUMBER 771)

set(TAVRUNE_GENERATED_INCLUDE "${CMAKE_BINARY_DIR}/generated")
configure_file("${CMAKE_SOURCE_DIR}/app/AppVersion.h.in" "${TAVRUNE_GENERATED_INCLUDE}/app/AppVersion.h" @ONLY)
add_library(tavrune_version INTERFACE)
target_include_directories(tavrune_version INTERFACE "${TAVRUNE_GENERATED_INCLUDE}")

# One INTERFACE target carries the language level, the warnings and the
# sanitizers for every target of the project; global CMAKE_*_FLAGS stay untouched.
option(ARDELLE_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(ARDELLE_TSAN "Build with ThreadSanitizer (not together with ARDELLE_SANITIZE)" OFF)
option(ARDELLE_WERROR "Treat warnings as errors" ON)

add_library(ardelle_options INTERFACE)
target_compile_features(ardelle_options INTERFACE cxx_std_20)
target_compile_options(ardelle_options INTERFACE
  -Wall -Wextra -Wpedantic -Wconversion -Wshadow -Wnon-virtual-dtor
  -Wold-style-cast -Wcast-align -Wnull-dereference -Wimplicit-fallthrough
  $<$<BOOL:${ARDELLE_WERROR}>:-Werror>
  # GCC 12 reports std::string concatenation at -O3 as overlapping memcpy (a known false
  # positive of -Wrestrict in its own headers).
  $<$<CXX_COMPILER_ID:GNU>:-Wno-restrict>)
if(ARDELLE_BUILD_FUZZERS)
  # Coverage for the fuzzers reaches into every library they link.
  target_compile_options(ardelle_options INTERFACE -fsanitize=fuzzer-no-link)
endif()
if(ARDELLE_SANITIZE)
  target_compile_options(ardelle_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(ardelle_options INTERFACE -fsanitize=address,undefined)
endif()
if(ARDELLE_TSAN)
  target_compile_options(ardelle_options INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(ardelle_options INTERFACE -fsanitize=thread)
endif()

# ardelle_library(NAME SOURCES... [DEPENDS targets...]) - one static library per subsystem.
function(ardelle_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}/src")
  target_link_libraries(${name} PUBLIC ${ARG_DEPENDS} PRIVATE ardelle_options)
endfunction()

# Builds for finding faults rather than for shipping.
#
#   TIDEMARK_SANITIZE  everything that follows is built with AddressSanitizer
#                      (leak detection included) and UndefinedBehaviorSanitizer;
#                      any report stops the program, so a test fails on it.
#   TIDEMARK_FUZZ      the libFuzzer targets under tests/fuzz as well; needs
#                      clang and TIDEMARK_SANITIZE. The code under test then
#                      carries the coverage instrumentation the fuzzers steer by.
#
# tidemark_instrument_from_here() turns them on for every target defined after
# it. The chart generator comes before: it is a build step whose output the
# tests compare against, not code the program runs, and instrumenting it would
# only make every sanitizer build a few minutes longer. It still links the
# picture library, so it links the runtimes (TIDEMARK_SANITIZER_LINK_FLAGS).

option(TIDEMARK_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(TIDEMARK_FUZZ "Build the fuzz targets (clang's libFuzzer; needs TIDEMARK_SANITIZE)" OFF)

if(TIDEMARK_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "TIDEMARK_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++")
    endif()
    if(NOT TIDEMARK_SANITIZE)
        message(FATAL_ERROR "TIDEMARK_FUZZ needs TIDEMARK_SANITIZE: a fuzzer without the "
                            "sanitizers misses what it came for")
    endif()
endif()

if(TIDEMARK_SANITIZE)
    if(MSVC)
        message(FATAL_ERROR "TIDEMARK_SANITIZE is for gcc and clang")
    endif()
    set(TIDEMARK_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all)
    set(TIDEMARK_SANITIZER_LINK_FLAGS ${TIDEMARK_SANITIZER_FLAGS})
    if(TIDEMARK_FUZZ)
        list(APPEND TIDEMARK_SANITIZER_LINK_FLAGS -fsanitize=fuzzer-no-link)
    endif()

    # What every program of this tree runs with. Qt and the system libraries
    # aren't instrumented; the few leaks of theirs that remain at exit are
    # named in the suppression file, each with its reason.
    set(TIDEMARK_SANITIZER_ENVIRONMENT
        "ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1"
        "UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1"
        "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/sanitizers/lsan.supp:print_suppressions=0")
endif()

macro(tidemark_instrument_from_here)
    if(TIDEMARK_SANITIZE)
        add_compile_options(${TIDEMARK_SANITIZER_FLAGS} -fno-omit-frame-pointer)
        add_link_options(${TIDEMARK_SANITIZER_FLAGS})
        if(TIDEMARK_FUZZ)
            add_compile_options(-fsanitize=fuzzer-no-link)
        endif()
    endif()
endmacro()

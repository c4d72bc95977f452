# Profile-guided optimisation with GCC, in two builds of the same sources.
#
# OSTREL_PROFILE=use (what `make build` asks for) makes this build drive an instrumented one in
# instrumented/ below it. Before anything here compiles, the target ostrel_profile_counts brings
# that build up to date, runs the training of bench/train.sh again when the program or the
# training has changed, and replaces the files in profile-counts/ whose content changed. Each
# object here depends on the count file of its own source, so new counts rebuild it and old ones
# cannot outlive a change. A failed training fails the build, and so do counts that do not match
# their source (GCC's default): both builds compile the same sources, so a mismatch means
# something went wrong and must not be hidden.
#
# OSTREL_PROFILE=generate is the instrumented build; its runs count into OSTREL_PROFILE_DIR. Count
# files are named after the object's path within its build directory, so the names of both builds
# match. A compiler without GCC's profile flags builds without profile-guided optimisation.
set(OSTREL_PROFILE "" CACHE STRING "Profile-guided optimisation: use, generate (the build that use drives) or empty")
set(OSTREL_PROFILE_DIR "" CACHE PATH "Where the instrumented build counts (OSTREL_PROFILE=generate)")

if(OSTREL_PROFILE)
  include(CheckCXXCompilerFlag)
  check_cxx_compiler_flag("-fprofile-partial-training -fprofile-prefix-path=/"
                          OSTREL_COMPILER_HAS_PROFILE_FLAGS)
  if(NOT OSTREL_COMPILER_HAS_PROFILE_FLAGS)
    message(NOTICE "ostrel: ${CMAKE_CXX_COMPILER} lacks GCC's profile flags; "
                   "building without profile-guided optimisation")
    set(OSTREL_PROFILE "")
  endif()
endif()

set(OSTREL_COUNTS_DIR ${CMAKE_BINARY_DIR}/profile-counts)
if(OSTREL_PROFILE STREQUAL "use")
  set(instrumented ${CMAKE_BINARY_DIR}/instrumented)
  file(GLOB training_programs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/bench/set/*.ost)
  # Configured with this build, with its compiler and type, so that the two cannot drift apart.
  execute_process(
    COMMAND ${CMAKE_COMMAND} -S ${PROJECT_SOURCE_DIR} -B ${instrumented} -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
            -DCMAKE_CXX_COMPILER=${CMAKE_CXX_COMPILER} -DBUILD_TESTING=OFF -DOSTREL_PROFILE=generate
            -DOSTREL_PROFILE_DIR=${instrumented}/counts
    OUTPUT_QUIET
    RESULT_VARIABLE configured)
  if(NOT configured EQUAL 0)
    message(FATAL_ERROR "ostrel: configuring the instrumented build in ${instrumented} failed")
  endif()
  # Under make, as $(MAKE), so that it shares the jobs of the make that runs this build.
  if(CMAKE_GENERATOR MATCHES "Makefiles")
    set(build_instrumented $(MAKE) -C ${instrumented} ostrel)
  else()
    set(build_instrumented ${CMAKE_COMMAND} --build ${instrumented} --target ostrel)
  endif()
  add_custom_target(ostrel_instrumented
    COMMAND ${build_instrumented}
    BYPRODUCTS ${instrumented}/ostrel
    COMMENT "Building the instrumented program for the training"
    VERBATIM)
  add_custom_command(
    OUTPUT ${OSTREL_COUNTS_DIR}/trained
    COMMAND bash ${PROJECT_SOURCE_DIR}/bench/train.sh ${instrumented}/ostrel ${instrumented}/counts ${OSTREL_COUNTS_DIR}
    COMMAND ${CMAKE_COMMAND} -E touch ${OSTREL_COUNTS_DIR}/trained
    DEPENDS ${instrumented}/ostrel ${training_programs} ${PROJECT_SOURCE_DIR}/bench/train.sh
            ${PROJECT_SOURCE_DIR}/bench/scale.sh ${PROJECT_SOURCE_DIR}/bench/passwd.sh
    COMMENT "Training the profile-guided optimisation"
    VERBATIM)
  add_custom_target(ostrel_profile_counts DEPENDS ${OSTREL_COUNTS_DIR}/trained)
  add_dependencies(ostrel_profile_counts ostrel_instrumented)
endif()

# ostrel_profile(TARGET): the profile flags for the target's objects, and under `use` each object's
# dependency on its count file.
function(ostrel_profile target)
  if(OSTREL_PROFILE STREQUAL "generate")
    target_compile_options(${target} PRIVATE -fprofile-generate=${OSTREL_PROFILE_DIR}
                                             -fprofile-prefix-path=${CMAKE_BINARY_DIR})
    target_link_options(${target} PRIVATE -fprofile-generate=${OSTREL_PROFILE_DIR})
  elseif(OSTREL_PROFILE STREQUAL "use")
    # Code the training does not reach is optimised as usual rather than for size.
    target_compile_options(${target} PRIVATE -fprofile-use=${OSTREL_COUNTS_DIR}
                                             -fprofile-prefix-path=${CMAKE_BINARY_DIR} -fprofile-partial-training)
    add_dependencies(${target} ostrel_profile_counts)
    # GCC names a count file after the object's path below the build directory, '/' made '#'.
    file(RELATIVE_PATH target_dir ${CMAKE_BINARY_DIR} ${CMAKE_CURRENT_BINARY_DIR}/CMakeFiles/${target}.dir)
    get_target_property(sources ${target} SOURCES)
    foreach(source ${sources})
      string(REPLACE "/" "#" counts "${target_dir}/${source}.gcda")
      set_property(SOURCE ${source} APPEND PROPERTY OBJECT_DEPENDS ${OSTREL_COUNTS_DIR}/${counts})
    endforeach()
  endif()
endfunction()

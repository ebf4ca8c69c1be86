# The strict warning set, as errors, for the areas that build clean under it (cmake -DTESK_STRICT=ON;
# `make test` builds so). An area is a folder name: src/<area> and tests/<area> follow the same switch,
# "support" is tests/support. An area joins TESK_STRICT_AREAS once it is clean, so the set can be
# switched on area by area. Qt and GoogleTest arrive through imported targets or /usr/include, which are
# system includes: only our own code is judged.
option(TESK_STRICT "Treat the strict warning set as errors in the areas of TESK_STRICT_AREAS" OFF)
set(TESK_STRICT_AREAS foundation numeric plot3d support popgen trees shell gui app)

# Chosen because each finds faults that -Wall -Wextra let through in numeric code of this kind:
set(TESK_STRICT_WARNINGS
  -Werror
  # A local hiding another name: the copy-and-edit slip of long numeric routines.
  -Wshadow
  # Narrowing and sign changes, including Extended -> double and size_t -> int. A deliberate one
  # says so with a static_cast.
  -Wconversion -Wsign-conversion
  # float widened silently; double -> long double is not warned, so Extended arithmetic is untouched.
  -Wdouble-promotion
  # Standard C++ only (no variable-length arrays, no extensions).
  -Wpedantic
  # Every cast says which conversion it means; none casts const away.
  -Wold-style-cast -Wcast-qual
  # Interfaces such as UiPort are deleted and overridden safely.
  -Wnon-virtual-dtor -Woverloaded-virtual -Wsuggest-override
  # Found after inlining, so it depends on the optimisation level. GCC 12 also reports a false one
  # inside libstdc++ for std::string(std::istreambuf_iterator...): read files another way.
  -Wnull-dereference
  # A function with external linkage and no declaration: the test files of an area form one program, so
  # two files with the same helper name would break the one-definition rule silently.
  -Wmissing-declarations
  -Wformat=2 -Wundef -Wzero-as-null-pointer-constant -Wredundant-decls
)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  # if/else chains that test the same condition twice or do the same thing in both branches.
  list(APPEND TESK_STRICT_WARNINGS -Wduplicated-cond -Wduplicated-branches -Wlogical-op)
endif()
# Left out on purpose:
#   -Wfloat-equal       exact comparison is the point where digits must be identical or a marker is tested
#   -Wuseless-cast      a cast needed where uint64_t and size_t differ is "useless" where they are the same
#   -Wswitch-enum       a default branch covers the other codes on purpose
#   -Wcast-align        no-op on x86-64; the byte primitives read unaligned data on purpose
#   -Weffc++, -Wpadded, -Winline, -Wextra-semi   advice about style or layout, not faults

# Applies the strict set to target when TESK_STRICT is on and area is listed.
function(tesk_strict target area)
  if(TESK_STRICT AND area IN_LIST TESK_STRICT_AREAS)
    target_compile_options(${target} PRIVATE ${TESK_STRICT_WARNINGS})
  endif()
endfunction()

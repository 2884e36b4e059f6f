# Debian's hardening for every program and library of the build: position-independent
# executables, the stack protector (and stack clash protection), fortified libc calls, full
# RELRO and immediate binding.
# The sanitizer and fuzz builds go without it: AddressSanitizer replaces the very calls that
# fortify checks, and the two would get in each other's way. Fortify needs the optimiser,
# so a Debug build (-O0) leaves it out rather than fail on glibc's warning.
option(KESTREL_HARDENING "Build with Debian's hardening flags" ON)
if(KESTREL_HARDENING AND NOT KESTREL_SANITIZE AND NOT KESTREL_FUZZ)
  include(CheckPIESupported)
  check_pie_supported()
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
  add_compile_options(-fstack-protector-strong -fstack-clash-protection -Wformat
                      -Werror=format-security
                      "$<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-U_FORTIFY_SOURCE>"
                      "$<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-D_FORTIFY_SOURCE=2>")
  add_link_options(LINKER:-z,relro LINKER:-z,now)
endif()

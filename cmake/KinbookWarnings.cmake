# One interface target carries the warnings and definitions every target uses.
add_library(kinbook_options INTERFACE)
target_compile_options(kinbook_options INTERFACE
  -Wall -Wextra -Wpedantic -Wnon-virtual-dtor -Woverloaded-virtual)
if(KINBOOK_WERROR)
  target_compile_options(kinbook_options INTERFACE -Werror)
endif()
if(KINBOOK_SANITIZE)
  target_compile_options(kinbook_options INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(kinbook_options INTERFACE -fsanitize=address,undefined)
endif()

if(KINBOOK_FUZZ)
  target_compile_options(kinbook_options INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(kinbook_options INTERFACE -fsanitize=address,undefined)
endif()

# Qt code never converts from ASCII implicitly.
add_library(kinbook_qt_options INTERFACE)
target_link_libraries(kinbook_qt_options INTERFACE kinbook_options)
target_compile_definitions(kinbook_qt_options INTERFACE QT_NO_CAST_FROM_ASCII)

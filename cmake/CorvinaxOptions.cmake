# Interface targets every Corvinax target links to.

find_package(Threads REQUIRED)

# Language standard, warnings and the strictness defines of the Qt side.
add_library(corvinax_options INTERFACE)
target_compile_features(corvinax_options INTERFACE cxx_std_20)
set_target_properties(corvinax_options PROPERTIES INTERFACE_CXX_EXTENSIONS OFF)
target_compile_options(corvinax_options INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual -Wcast-qual
    $<$<BOOL:${CORVINAX_WERROR}>:-Werror>)
if(CORVINAX_SANITIZE)
    target_compile_options(corvinax_options INTERFACE -fsanitize=${CORVINAX_SANITIZE} -fno-omit-frame-pointer
                           -fno-sanitize-recover=all)
    target_link_options(corvinax_options INTERFACE -fsanitize=${CORVINAX_SANITIZE})
endif()
if(CORVINAX_FUZZ)
    target_compile_options(corvinax_options INTERFACE -fsanitize=fuzzer-no-link,address,undefined)
    target_link_options(corvinax_options INTERFACE -fsanitize=address,undefined)
endif()
target_compile_definitions(corvinax_options INTERFACE
    QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_CAST_FROM_BYTEARRAY QT_NO_URL_CAST_FROM_STRING
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT QT_NO_KEYWORDS QT_NO_FOREACH QT_USE_QSTRINGBUILDER
    QT_DISABLE_DEPRECATED_UP_TO=0x060000)

# The core's texts are code page 1251 bytes, as the files hold them: the compiler turns the UTF-8
# source literals into code page 1251 through iconv. Core headers therefore carry no non-ASCII
# literal, so that the Qt side, compiled as UTF-8, never sees one.
# Only GCC converts literals: clang, used for the fuzz targets alone, keeps them in UTF-8, which
# changes no parsing of bytes.
add_library(corvinax_cp1251 INTERFACE)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(corvinax_cp1251 INTERFACE -finput-charset=UTF-8 -fexec-charset=CP1251)
elseif(NOT CORVINAX_FUZZ)
    message(FATAL_ERROR "The program needs GCC: its texts are code page 1251 literals")
endif()

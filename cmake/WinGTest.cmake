# GoogleTest for the Win32 test programs, built from the sources Debian's googletest package ships.
set(GTEST_SOURCE_DIR /usr/src/googletest/googletest)
if(NOT EXISTS ${GTEST_SOURCE_DIR}/src/gtest-all.cc)
  message(FATAL_ERROR "GoogleTest sources not found in ${GTEST_SOURCE_DIR} (apt-get install googletest)")
endif()
add_library(wingtest STATIC ${GTEST_SOURCE_DIR}/src/gtest-all.cc ${GTEST_SOURCE_DIR}/src/gtest_main.cc)
target_include_directories(wingtest SYSTEM PUBLIC ${GTEST_SOURCE_DIR}/include PRIVATE ${GTEST_SOURCE_DIR})
target_compile_options(wingtest PRIVATE -w)
add_library(GTest::gtest_main ALIAS wingtest)

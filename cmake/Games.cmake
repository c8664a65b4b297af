# kit_add_game(NAME SOURCES ...): the game as a library (driven by its program, replay and the
# tests alike), its program, its manual page and its tests (NAME/tests/*_test.cpp).
function(kit_add_game name)
  cmake_parse_arguments(PARSE_ARGV 1 GAME "" "" "SOURCES")
  add_library(${name}_game STATIC ${GAME_SOURCES})
  target_link_libraries(${name}_game PUBLIC kit)

  add_executable(${name} main.cpp)
  target_link_libraries(${name} PRIVATE ${name}_game kit_console)
  install(TARGETS ${name} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${name}.6)
    install(FILES ${name}.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
  endif()

  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*_test.cpp)
  if(BUILD_TESTING AND tests)
    add_executable(${name}_tests ${tests})
    target_link_libraries(${name}_tests PRIVATE ${name}_game kit_testing GTest::gtest_main)
    gtest_discover_tests(${name}_tests DISCOVERY_MODE PRE_TEST)
  endif()
endfunction()

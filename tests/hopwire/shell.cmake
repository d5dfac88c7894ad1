# The slave's process shell and channel, and korftp, each through real processes on a
# desktop of the test's own. hopwire_probe is the slave with a test interpreter.
add_executable(hopwire_probe helpers/hopwire_probe.cc)
target_link_libraries(hopwire_probe PRIVATE hopwire_program hopwire_control platform_main)

add_library(hopwire_test_support STATIC slave_controller.cc)
target_link_libraries(hopwire_test_support PUBLIC test_support GTest::gtest)

add_gtest(hopwire_shell_test SOURCES channel_test.cc watchdog_test.cc
  LIBS hopwire_test_support)
target_compile_definitions(hopwire_shell_test PRIVATE
  HOPWIRE="$<TARGET_FILE:hopwire>" PROBE="$<TARGET_FILE:hopwire_probe>")
add_dependencies(hopwire_shell_test hopwire hopwire_probe)

# Each case in network, mount and host-name namespaces of its own.
add_gtest(hopwire_network_test NETNS
  SOURCES network_test.cc ${PROJECT_SOURCE_DIR}/tests/platform/net_private_files.cc
  LIBS hopwire_test_support)
target_compile_definitions(hopwire_network_test PRIVATE
  HOPWIRE="$<TARGET_FILE:hopwire>" PROBE="$<TARGET_FILE:hopwire_probe>")
add_dependencies(hopwire_network_test hopwire hopwire_probe)

add_gtest(hopwire_korftp_test SOURCES korftp_test.cc LIBS test_support)
target_compile_definitions(hopwire_korftp_test PRIVATE KORFTP="$<TARGET_FILE:korftp>"
  HOPWIRE="$<TARGET_FILE:hopwire>" PROBE="$<TARGET_FILE:hopwire_probe>")
add_dependencies(hopwire_korftp_test korftp hopwire hopwire_probe)

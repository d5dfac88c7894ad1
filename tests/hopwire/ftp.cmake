# The control connection and the interpreter through the real hopwire (and korftp)
# against FTP servers started by the tests: the scripted fake server, pyftpdlib and
# vsftpd, each case in network, mount and host-name namespaces of its own.
add_gtest(hopwire_ftp_test NETNS
  SOURCES
    control_connection_test.cc
    data_connection_test.cc
    ftp_servers.cc
    interpreter_test.cc
    real_servers_test.cc
    real_transfers_test.cc
    ${PROJECT_SOURCE_DIR}/tests/platform/net_private_files.cc
  LIBS hopwire_test_support)
target_compile_definitions(hopwire_ftp_test PRIVATE
  HOPWIRE="$<TARGET_FILE:hopwire>" KORFTP="$<TARGET_FILE:korftp>"
  SERVERS_DIR="${CMAKE_CURRENT_SOURCE_DIR}/servers")
add_dependencies(hopwire_ftp_test hopwire korftp)

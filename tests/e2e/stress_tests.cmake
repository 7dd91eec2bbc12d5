# Included by CMakeLists.txt in this folder, after add_wine_test.
# Stress and bad-input tests of both files under Wine.

# set_registry_value stores exact registry bytes of any type and size;
# applet_probe is an applet host that pauses between calls; start_together
# starts many programs at once.
foreach(helper set_registry_value applet_probe start_together)
  add_executable(${helper} ${helper}.cpp)
  target_link_options(${helper} PRIVATE -static)
endforeach()

add_wine_test(stress_huge_record stress_huge_record.sh)
add_wine_test(stress_record_types stress_record_types.sh)
add_wine_test(stress_long_command_line stress_long_command_line.sh)
add_wine_test(stress_double_byte_code_page stress_double_byte_code_page.sh)
add_wine_test(stress_fifty_launchers stress_fifty_launchers.sh)
add_wine_test(stress_applet_two_processes stress_applet_two_processes.sh)

# Header-only libraries taken from the system's packages (nlohmann-json,
# Boost for Asio and Beast), each made visible alone through a folder of
# links in the build tree: a cross build must see these headers but never
# the host's whole include folder.
set(SCENARIO_SYSTEM_HEADERS ${CMAKE_BINARY_DIR}/system_headers)
file(MAKE_DIRECTORY ${SCENARIO_SYSTEM_HEADERS})

function(scenario_system_header target probe folder)
  find_path(${target}_ROOT ${probe} PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH NO_DEFAULT_PATH)
  if(NOT ${target}_ROOT)
    message(FATAL_ERROR "${probe} not found: install the package that provides it (listed in .ci/run)")
  endif()
  file(CREATE_LINK ${${target}_ROOT}/${folder} ${SCENARIO_SYSTEM_HEADERS}/${folder} SYMBOLIC)
  add_library(${target} INTERFACE)
  target_include_directories(${target} SYSTEM INTERFACE ${SCENARIO_SYSTEM_HEADERS})
endfunction()

scenario_system_header(nlohmann_json_headers nlohmann/json.hpp nlohmann)
scenario_system_header(boost_headers boost/beast.hpp boost)

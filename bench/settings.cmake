trellion_add_bench(settingsbench SOURCES ${CMAKE_CURRENT_LIST_DIR}/settingsbench.cpp LIBS trellion_settings)

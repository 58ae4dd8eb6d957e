trellion_add_bench(modelbench SOURCES ${CMAKE_CURRENT_LIST_DIR}/modelbench.cpp LIBS trellion_model)

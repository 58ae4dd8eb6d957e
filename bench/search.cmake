# The file search engine and trellion-cli find against find(1) over one generated tree.
trellion_add_bench(search_bench SOURCES searchbench.cpp searchtree.cpp LIBS trellion_search Qt6::Core)
target_compile_definitions(search_bench PRIVATE TRELLION_CLI="$<TARGET_FILE:trellion-cli>")
add_dependencies(search_bench trellion-cli)

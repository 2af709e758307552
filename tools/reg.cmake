# pelrudo-reg: import, export, query and delete in a registry store; the .reg file code is a component
# of its own so that the tests reach it.
pelrudo_add_component(pelrudo_regfile INTERNAL
    SOURCES reg/RegKeyPath.cpp reg/RegKeyPath.h
            reg/RegFileImport.cpp reg/RegFileImport.h
            reg/RegFileExport.cpp reg/RegFileExport.h
    DEPENDS pelrudo_registry pelrudo_text)
add_executable(pelrudo-reg reg/main.cpp)
target_link_libraries(pelrudo-reg PRIVATE pelrudo_regfile)

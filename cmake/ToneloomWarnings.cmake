# Warnings for project code. The ones that point at real bugs are errors;
# third-party code (the VST 3 SDK) is compiled without this.
function(toneloom_warnings target)
    target_compile_options(${target} PRIVATE
        -Wall -Wextra -Wpedantic $<$<CXX_COMPILER_ID:GNU>:-Wshadow=local> -Wnon-virtual-dtor -Woverloaded-virtual
        -Wformat=2 -Wno-multichar -Wcast-align -Wimplicit-fallthrough
        -Werror=return-type -Werror=non-virtual-dtor -Werror=delete-non-virtual-dtor
        -Werror=overloaded-virtual -Werror=format-security $<$<CXX_COMPILER_ID:GNU>:-Werror=format-overflow>
        -Werror=uninitialized -Werror=array-bounds $<$<CXX_COMPILER_ID:GNU>:-Werror=shadow=local>
        -Werror=switch -Werror=implicit-fallthrough -Werror=unused-result
        -Werror=sizeof-pointer-memaccess -Werror=dangling-else -Werror=parentheses
        -Werror=unused-variable -Werror=sign-compare)
endfunction()

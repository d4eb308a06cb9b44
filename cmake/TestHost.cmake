# grundmoor_count_allocations(<executable>): links the test host's counting operator new/delete
# into an executable and exports them, so the allocations of a plug-in module it loads are counted
# too (see host/include/grundmoor/testhost/AllocationCounter.h). Usable from any directory.
function(grundmoor_count_allocations target)
    target_link_libraries(${target} PRIVATE grundmoor_testhost grundmoor_testhost_allocation_hooks)
    set_target_properties(${target} PROPERTIES ENABLE_EXPORTS ON)
endfunction()

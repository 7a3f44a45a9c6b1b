# The three deliverables: one per conventional parallel-port address. Each is built twice, for
# the real port and over the simulated interface.
set(VOKA_DELIVERABLES
    1:0x378
    2:0x278
    3:0x3BC)

# The operation files compiled in; each defines `<group>_commands`, its rows of the command
# table. A build may leave groups out: their keywords then print nothing. The deliverable groups
# are compiled once per deliverable, with its port number.
set(VOKA_OPERATION_GROUPS analog_inputs relay_outputs absent_functions fixed_convention)
set(VOKA_DELIVERABLE_GROUPS identity)

function(voka_link_program target)
  if(VOKA_STATIC)
    target_link_options(${target} PRIVATE -static)
  endif()
endfunction()

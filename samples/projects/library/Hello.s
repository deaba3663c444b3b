* HELLO: puts a greeting on the stack.
ASSEMBLE
        NIBASC  /HPHP48-R/
RPL
::
  CK0
  $ "Hello from a Velmora library"
;

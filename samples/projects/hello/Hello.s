* HELLO: leaves a greeting on the stack.
ASSEMBLE
        NIBASC  /HPHP48-R/
RPL
::
  CK0NOLASTWD                    ( takes nothing from the stack )
  $ "Hello, world!"
;

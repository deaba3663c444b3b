* RPL Skeleton: a System RPL program.
*
* Name:    
* Stack:   ( --> )
* Purpose: 
*
::
  CK0NOLASTWD                    ( takes nothing from the stack )

;

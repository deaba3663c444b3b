:: DUP % 1 ;

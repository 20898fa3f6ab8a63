M 99XX001 TEST                                                    1                 
      0      0      1      1                  1                                     
H 3000                1                                                             
E781                                                                                

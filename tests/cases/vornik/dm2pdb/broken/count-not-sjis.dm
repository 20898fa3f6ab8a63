M 99XX001 TEST                                                    1                 
      0      0      1      1                  1                                     
H                   ÿþ                                                              

M 99XX001 TEST                                                    1                 
      0      0    1.5      2                  1                                     

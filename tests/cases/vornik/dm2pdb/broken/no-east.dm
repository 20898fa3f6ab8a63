M 99XX001 TEST                                                    1                 
      5      0      5      1                  1                                     
